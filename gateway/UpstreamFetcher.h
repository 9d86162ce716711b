#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>

namespace corvane::gateway {

// GETs from the live service one request at a time, with a browser-like
// user agent, backing off on "Too Many Requests" up to a bound, and keeping
// answers that cannot change any more in a cache folder.
class UpstreamFetcher {
public:
    struct Reply {
        int status = 0;  // 0: no answer (error holds why)
        std::string body;
        std::string error;
        bool fromCache = false;
    };

    UpstreamFetcher(std::string baseUrl, std::filesystem::path cacheDir, int backoffMs,
                    int maxRetries);

    // pathAndQuery begins with "/". cacheable: the answer is final (a window
    // that ended before today), so a cached copy serves.
    Reply Get(const std::string& pathAndQuery, bool cacheable);

    int UpstreamRequests() const { return upstreamRequests_; }

private:
    Reply Fetch(const std::string& url);
    std::filesystem::path CachePath(const std::string& pathAndQuery) const;

    std::string baseUrl_;
    std::filesystem::path cacheDir_;
    int backoffMs_;
    int maxRetries_;
    std::mutex mutex_;
    int upstreamRequests_ = 0;
};

// The per-user cache folder: $XDG_CACHE_HOME/Halbrook Labs/Corvane/upstream.
std::filesystem::path DefaultUpstreamCacheDir();

}  // namespace corvane::gateway
