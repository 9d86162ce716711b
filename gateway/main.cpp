// corvane-gateway: stands in for the quote provider, the FOREX service and
// the maker's server, answering from a folder of daily bars.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <thread>

#include "QuoteService.h"
#include "YahooUpstream.h"

namespace {

using namespace corvane::gateway;

constexpr const char* kUsage =
    "usage: corvane-gateway [--port N] [--bind ADDR] [--data DIR] [--share DIR]\n"
    "                       [--today YYYYMMDD] [--latest-version CODE]\n"
    "                       [--fail-first N] [--delay-ms MS]\n"
    "                       [--upstream local|yahoo] [--upstream-url URL] [--cache-dir DIR]\n"
    "                       [--upstream-backoff-ms MS] [--upstream-retries N]\n"
    "--upstream yahoo answers from Yahoo's chart API (live quotes) instead of --data.\n"
    "--port 0 picks a free port and prints it as the first line of standard output.\n";

// Each read of a request and each write of an answer gets this long before the
// connection is dropped, so a stalled client frees its worker.
constexpr time_t kReadTimeoutSeconds = 3;
constexpr time_t kWriteTimeoutSeconds = 5;
// How long a connection may sit idle before (and between) requests.
constexpr time_t kKeepAliveTimeoutSeconds = 5;
// Only GETs are answered and need no body: a larger one is read past, not kept.
constexpr std::size_t kMaxBodyBytes = 64 * 1024;
// Enough workers that a few stalled or trickling clients (the timeouts above
// are per read, not per request) cannot starve the rest.
constexpr std::size_t kWorkerThreads = 32;

struct Options {
    int port = 8470;
    std::string bind = "127.0.0.1";
    std::string data = "share/gateway-data";
    std::string share = "share";
    ServiceOptions service;
    int failFirst = 0;
    int delayMs = 0;
    std::string upstream = "local";
    std::string upstreamUrl = "https://query2.finance.yahoo.com";
    std::string cacheDir;
    int backoffMs = 1000;
    int retries = 4;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    auto number = [](int& target) {
        return [&target](const std::string& value) { target = std::atoi(value.c_str()); };
    };
    auto text = [](std::string& target) {
        return [&target](const std::string& value) { target = value; };
    };
    const std::map<std::string, std::function<void(const std::string&)>> flags = {
        {"--port", number(options.port)},
        {"--bind", text(options.bind)},
        {"--data", text(options.data)},
        {"--share", text(options.share)},
        {"--today", [&](const std::string& v) { options.service.today = std::atoi(v.c_str()); }},
        {"--latest-version", text(options.service.latestVersion)},
        {"--fail-first", number(options.failFirst)},
        {"--delay-ms", number(options.delayMs)},
        {"--upstream", text(options.upstream)},
        {"--upstream-url", text(options.upstreamUrl)},
        {"--cache-dir", text(options.cacheDir)},
        {"--upstream-backoff-ms", number(options.backoffMs)},
        {"--upstream-retries", number(options.retries)},
    };
    for (int i = 1; i + 1 < argc; i += 2) {
        const auto found = flags.find(argv[i]);
        if (found == flags.end()) return false;
        found->second(argv[i + 1]);
    }
    return argc % 2 == 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options) ||
        (options.upstream != "local" && options.upstream != "yahoo")) {
        std::cerr << kUsage;
        return 2;
    }
    options.service.shareDir = options.share;
    const QuoteService service(DailyHistory::Load(options.data), options.service);
    UpstreamFetcher fetcher(options.upstreamUrl,
                            options.cacheDir.empty() ? DefaultUpstreamCacheDir()
                                                     : std::filesystem::path(options.cacheDir),
                            options.backoffMs, options.retries);
    const std::optional<std::int32_t> today = options.service.today;
    YahooUpstream yahoo(fetcher, service, [today] {
        if (!today) return static_cast<std::int64_t>(std::time(nullptr));
        // Noon UTC of the given day.
        std::tm day{};
        day.tm_year = *today / 10000 - 1900;
        day.tm_mon = *today / 100 % 100 - 1;
        day.tm_mday = *today % 100;
        day.tm_hour = 12;
        return static_cast<std::int64_t>(timegm(&day));
    });
    const bool live = options.upstream == "yahoo";
    std::atomic<int> toFail{options.failFirst};

    httplib::Server server;
    // httplib's default sets SO_REUSEPORT, so a second gateway started on a
    // port in use would bind beside the first and take half its connections.
    // SO_REUSEADDR alone still lets a gateway restart on its port at once, but
    // refuses a port something listens on: the start fails and says so.
#ifndef _WIN32
    server.set_socket_options([](socket_t socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
#endif
    // Headers and body go out in separate writes; without this a kept-alive
    // connection waits for the delayed acknowledgement between them.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(kReadTimeoutSeconds);
    server.set_write_timeout(kWriteTimeoutSeconds);
    server.set_keep_alive_timeout(kKeepAliveTimeoutSeconds);
    server.set_payload_max_length(kMaxBodyBytes);
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // httplib applies the length limit to a declared Content-Length only and would
    // buffer a chunked body whole: refuse one unread and hang up, so that its
    // chunks are not read as further requests either.
    server.set_pre_routing_handler([](const httplib::Request& request,
                                      httplib::Response& response) {
        if (!request.has_header("Transfer-Encoding"))
            return httplib::Server::HandlerResponse::Unhandled;
        static const std::string kRefusal = "A request body needs a Content-Length.\n";
        response.status = 411;
        response.set_content_provider(
            kRefusal.size(), "text/plain", [](std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(kRefusal.data(), kRefusal.size());
                return false;  // the connection ends once the answer is out
            });
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get(".*", [&](const httplib::Request& request, httplib::Response& response) {
        if (options.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(options.delayMs));
        if (toFail.fetch_sub(1) > 0) {
            // Promise a body and never send it: the client sees the connection cut.
            response.set_content_provider(
                1000, "text/plain",
                [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
            return;
        }
        Query query(request.params.begin(), request.params.end());
        const Answer answer =
            live ? yahoo.Handle(request.path, query) : service.Handle(request.path, query);
        response.status = answer.status;
        response.set_content(answer.body, answer.contentType);
    });

    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(options.bind);
    } else if (!server.bind_to_port(options.bind, port)) {
        port = -1;
    }
    if (port < 0) {
        std::cerr << "corvane-gateway: cannot listen on " << options.bind << ":" << options.port
                  << "\n";
        return 1;
    }
    std::cout << port << std::endl;
    return server.listen_after_bind() ? 0 : 1;
}
