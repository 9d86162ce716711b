#include "UpstreamFetcher.h"

#include <curl/curl.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace corvane::gateway {
namespace {

constexpr const char* kBrowserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/120.0.0.0 Safari/537.36";

std::size_t Append(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

bool RateLimited(const UpstreamFetcher::Reply& reply) {
    return reply.status == 429 || reply.body.find("Too Many Requests") != std::string::npos;
}

}  // namespace

std::filesystem::path DefaultUpstreamCacheDir() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] != '\0')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr)
        base = std::filesystem::path(home) / ".cache";
    else
        base = std::filesystem::temp_directory_path();
    return base / "Halbrook Labs" / "Corvane" / "upstream";
}

UpstreamFetcher::UpstreamFetcher(std::string baseUrl, std::filesystem::path cacheDir, int backoffMs,
                                 int maxRetries)
    : baseUrl_(std::move(baseUrl)),
      cacheDir_(std::move(cacheDir)),
      backoffMs_(backoffMs),
      maxRetries_(maxRetries) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

std::filesystem::path UpstreamFetcher::CachePath(const std::string& pathAndQuery) const {
    return cacheDir_ /
           (std::to_string(std::hash<std::string>{}(baseUrl_ + pathAndQuery)) + ".json");
}

UpstreamFetcher::Reply UpstreamFetcher::Get(const std::string& pathAndQuery, bool cacheable) {
    const std::lock_guard lock(mutex_);
    const std::filesystem::path cached = CachePath(pathAndQuery);
    if (cacheable) {
        std::ifstream in(cached, std::ios::binary);
        if (in) return {200, std::string(std::istreambuf_iterator<char>(in), {}), "", true};
    }
    Reply reply;
    for (int attempt = 0;; ++attempt) {
        reply = Fetch(baseUrl_ + pathAndQuery);
        if (!RateLimited(reply) || attempt == maxRetries_) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(backoffMs_ << attempt));
    }
    if (RateLimited(reply)) {
        reply.status = 0;
        reply.error =
            "The quote provider refuses more requests for now (Too Many Requests); "
            "try again later.";
    } else if (cacheable && reply.status == 200) {
        std::error_code error;
        std::filesystem::create_directories(cacheDir_, error);
        std::ofstream(cached, std::ios::binary) << reply.body;
    }
    return reply;
}

UpstreamFetcher::Reply UpstreamFetcher::Fetch(const std::string& url) {
    Reply reply;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        reply.error = "The HTTP client could not be started.";
        return reply;
    }
    ++upstreamRequests_;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kBrowserAgent);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        reply.status = static_cast<int>(status);
    } else {
        reply.error =
            std::string("The quote provider could not be reached: ") + curl_easy_strerror(code);
    }
    curl_easy_cleanup(curl);
    return reply;
}

}  // namespace corvane::gateway
