#pragma once

#include <string>
#include <vector>

#include "CurlHttpClient.h"

namespace corvane::test {

// Real HTTP, with every requested URL noted.
class RecordingHttpClient : public HttpClient {
public:
    explicit RecordingHttpClient(long timeoutSeconds = 60) : curl_(true, timeoutSeconds) {}
    HttpResult Get(const std::string& url) override {
        urls.push_back(url);
        return curl_.Get(url);
    }
    int CountOf(const std::string& path) const {
        int count = 0;
        for (const auto& url : urls) count += url.find(path) != std::string::npos ? 1 : 0;
        return count;
    }
    std::vector<std::string> urls;

private:
    CurlHttpClient curl_;
};

}  // namespace corvane::test
