#pragma once

#include <optional>
#include <string>
#include <vector>

#include "HttpClient.h"
#include "Prompt.h"

namespace corvane {

// What one download run shares between its requests: the HTTP client (one
// connection kept alive), the prompt for fatal errors and the stop flag.
struct FetchSession {
    HttpClient& http;
    Prompt& prompt;
    int stopFlag = 0;
    // Transient failures are retried this many times, pausing retryPauseMs,
    // 2 x retryPauseMs, ... between tries; past that they are fatal.
    int maxTransientRetries = 10;
    int retryPauseMs = 200;
};

// True for the error texts of time-outs, resets, invalid answers and
// connections that could not be established.
bool IsTransientError(const std::string& errorText);

// GETs a URL. Transient failures are retried silently up to the session's
// bound; any other failure, or one past the bound, is shown with the caption
// "Corvane Error Message", sets the stop flag and gives no value. A first try
// that cannot connect at all (refused, no route) is fatal at once: no service
// is there to wait for. After a time-out or a reset the same failure is the
// service going away or restarting, and is retried within the bound.
std::optional<std::vector<std::string>> FetchLines(FetchSession& session, const std::string& url);

}  // namespace corvane
