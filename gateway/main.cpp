// corvane-gateway: stands in for the quote provider, the FOREX service and
// the maker's server, answering from a folder of daily bars.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "QuoteService.h"

namespace {

using namespace corvane::gateway;

constexpr const char* kUsage =
    "usage: corvane-gateway [--port N] [--bind ADDR] [--data DIR] [--share DIR]\n"
    "                       [--today YYYYMMDD] [--latest-version CODE]\n"
    "                       [--fail-first N] [--delay-ms MS]\n"
    "--port 0 picks a free port and prints it as the first line of standard output.\n";

struct Options {
    int port = 8470;
    std::string bind = "127.0.0.1";
    std::string data = "share/gateway-data";
    std::string share = "share";
    ServiceOptions service;
    int failFirst = 0;
    int delayMs = 0;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (flag == "--port")
            options.port = std::atoi(value.c_str());
        else if (flag == "--bind")
            options.bind = value;
        else if (flag == "--data")
            options.data = value;
        else if (flag == "--share")
            options.share = value;
        else if (flag == "--today")
            options.service.today = std::atoi(value.c_str());
        else if (flag == "--latest-version")
            options.service.latestVersion = value;
        else if (flag == "--fail-first")
            options.failFirst = std::atoi(value.c_str());
        else if (flag == "--delay-ms")
            options.delayMs = std::atoi(value.c_str());
        else
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    options.service.shareDir = options.share;
    const QuoteService service(DailyHistory::Load(options.data), options.service);
    std::atomic<int> toFail{options.failFirst};

    httplib::Server server;
    // Headers and body go out in separate writes; without this a kept-alive
    // connection waits for the delayed acknowledgement between them.
    server.set_tcp_nodelay(true);
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
        const Answer answer = service.Handle(request.path, query);
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
