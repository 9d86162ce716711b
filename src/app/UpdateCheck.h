#pragma once

#include <optional>
#include <string>

#include "Clock.h"
#include "HttpClient.h"

namespace corvane {

inline constexpr const char* kNoUpdatesText = "There are no updates available at this time.";

// The date of the last start-up check as the check reads it: an empty,
// short or impossible date counts as 20070101.
std::string NormalisedLastUpdate(const std::string& lastUpdate);

// Whether the start-up check is due: daily from the next calendar day,
// weekly after 7 whole days, monthly after 30; never for another period.
bool IsUpdateCheckDue(const std::string& lastUpdate, int periodicity, const LocalDateTime& now);

// A newer version the maker's server offers.
struct UpdateOffer {
    std::string versionText;  // "1.08.001"
    std::string setupCode;    // "108", as in /crv108_setup.exe
};

// The server's first answer line: "1" and the version code offers an
// update; anything else offers none.
std::optional<UpdateOffer> ParseUpdateAnswer(const std::string& firstLine);

struct UpdateAnswer {
    bool reached = false;
    std::string error;  // why the server was not reached
    std::optional<UpdateOffer> offer;
};

// Asks makerUrl/updates.asp for a version newer than `versionNumber`. A
// request that times out is asked again after pauseMs, at most
// `timeoutRetries` times; then its error is the answer.
UpdateAnswer AskForUpdate(HttpClient& http, const std::string& makerUrl, int versionNumber,
                          int timeoutRetries = 5, int pauseMs = 200);

}  // namespace corvane
