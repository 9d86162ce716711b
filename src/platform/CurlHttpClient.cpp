#include "CurlHttpClient.h"

#include <curl/curl.h>

#include <algorithm>

namespace corvane {
namespace {

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
};

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// Words the fetch layer looks for to tell a transient failure from a fatal one.
std::string ErrorText(CURLcode code, const char* detail) {
    std::string text = detail[0] != '\0' ? detail : curl_easy_strerror(code);
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            return "The operation timed out: " + text;
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return "The connection with the server was reset: " + text;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
            return "The server returned an invalid or unrecognized response: " + text;
        case CURLE_COULDNT_CONNECT:
            return "A connection with the server could not be established: " + text;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            // Without curl's detail: a host name may hold any of the words above.
            return "The server name or address could not be resolved.";
        default:
            return text;
    }
}

}  // namespace

CurlHttpClient::CurlHttpClient(bool reuseConnections, long timeoutSeconds)
    : reuseConnections_(reuseConnections), timeoutSeconds_(timeoutSeconds) {
    static CurlGlobal global;
    handle_ = curl_easy_init();
}

CurlHttpClient::~CurlHttpClient() {
    curl_easy_cleanup(static_cast<CURL*>(handle_));
}

HttpResult CurlHttpClient::Get(const std::string& url) {
    HttpResult result;
    CURL* curl = static_cast<CURL*>(handle_);
    if (curl == nullptr) {
        result.error = "The HTTP client could not be started.";
        return result;
    }
    std::string body;
    char detail[CURL_ERROR_SIZE] = {};
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "MySession");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds_);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (!reuseConnections_) {
        curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    }
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        result.error = ErrorText(code, detail);
        result.couldNotConnect = code == CURLE_COULDNT_CONNECT;
        return result;
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if ((status < 200 || status > 299) && status != 404) {
        // The first line of the answer usually says why.
        const std::string why = body.substr(0, std::min<std::size_t>(body.find('\n'), 200));
        result.error = "The server answered with HTTP status " + std::to_string(status) +
                       (why.empty() ? "." : ": " + why);
        return result;
    }
    result.ok = true;
    result.lines = SplitLines(body);
    return result;
}

}  // namespace corvane
