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
    // True when no connection could be made at all: the server refused it, or
    // there was no route to the host. Its error text still says the connection
    // "could not be established"; this flag lets the caller tell it from a
    // time-out or a reset, which happen once a server is there.
    bool couldNotConnect = false;
};

// GET over HTTP with the user agent "MySession". Error texts carry "timed
// out", "reset", "invalid" or "established" for the failures worth retrying;
// a failed connection carries "established" and sets couldNotConnect.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResult Get(const std::string& url) = 0;
};

// Splits a body into lines at "\n", dropping a "\r" before it; a final line
// without terminator counts, an empty body has no lines.
std::vector<std::string> SplitLines(const std::string& body);

}  // namespace corvane
