#pragma once

#include "HttpClient.h"

namespace corvane {

// libcurl behind HttpClient. One handle serves every request of the object's
// life, so connections stay alive between the requests of a run. The proxy
// comes from the http_proxy, https_proxy and no_proxy environment.
class CurlHttpClient : public HttpClient {
public:
    // When reuseConnections is false every request opens a fresh connection.
    explicit CurlHttpClient(bool reuseConnections = true, long timeoutSeconds = 60);
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    HttpResult Get(const std::string& url) override;

private:
    void* handle_;  // CURL*, kept opaque so that users need no curl headers
    bool reuseConnections_;
    long timeoutSeconds_;
};

}  // namespace corvane
