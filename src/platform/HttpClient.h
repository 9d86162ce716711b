#pragma once

#include <string>
#include <vector>

namespace corvane {

// The answer to one GET: the body as lines without their terminators, or the
// error text. A 404 answer is not an error: its body comes back as lines (the
// provider answers an unknown symbol with a "Not Found" page).
struct HttpResult {
    bool ok = false;
    std::vector<std::string> lines;
    std::string error;
};

// GET over HTTP with the user agent "MySession". Error texts carry "timed
// out", "reset", "invalid" or "established" for the failures worth retrying.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResult Get(const std::string& url) = 0;
};

// Splits a body into lines at "\n", dropping a "\r" before it; a final line
// without terminator counts, an empty body has no lines.
std::vector<std::string> SplitLines(const std::string& body);

}  // namespace corvane
