#include "UpdateCheck.h"

#include <chrono>
#include <thread>

#include "CalendarDate.h"

namespace corvane {

std::string NormalisedLastUpdate(const std::string& lastUpdate) {
    if (lastUpdate.size() == 8 && lastUpdate.find_first_not_of("0123456789") == std::string::npos &&
        IsValidDate(std::stoi(lastUpdate)))
        return lastUpdate;
    return "20070101";
}

bool IsUpdateCheckDue(const std::string& lastUpdate, int periodicity, const LocalDateTime& now) {
    const int days = DaysBetween(std::stoi(NormalisedLastUpdate(lastUpdate)), now.YyyyMmDd());
    switch (periodicity) {
        case 0:
            return days > 0;
        case 1:
            return days > 7;
        case 2:
            return days > 30;
        default:
            return false;
    }
}

std::optional<UpdateOffer> ParseUpdateAnswer(const std::string& firstLine) {
    if (firstLine.empty() || firstLine[0] != '1') return std::nullopt;
    std::string code = firstLine.substr(1);
    while (!code.empty() && (code.back() == '\r' || code.back() == ' ')) code.pop_back();
    // One-digit major versions have six-digit codes (108001), two-digit ones seven (1000001).
    const std::size_t major = code.size() == 6 ? 1 : 2;
    UpdateOffer offer;
    offer.setupCode = code.substr(0, major + 2);
    offer.versionText = code.substr(0, major);
    if (code.size() > major) offer.versionText += "." + code.substr(major, 2);
    if (code.size() > major + 2) offer.versionText += "." + code.substr(major + 2);
    return offer;
}

UpdateAnswer AskForUpdate(HttpClient& http, const std::string& makerUrl, int versionNumber,
                          int timeoutRetries, int pauseMs) {
    const std::string url =
        makerUrl + "/updates.asp?version=" + std::to_string(versionNumber) + "&productid=1";
    for (int attempt = 0;; ++attempt) {
        HttpResult result = http.Get(url);
        if (result.ok) {
            UpdateAnswer answer{true, "", std::nullopt};
            if (!result.lines.empty()) answer.offer = ParseUpdateAnswer(result.lines.front());
            return answer;
        }
        const bool timedOut = result.error.find("timed out") != std::string::npos;
        if (!timedOut || attempt >= timeoutRetries) return UpdateAnswer{false, result.error, {}};
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
}

}  // namespace corvane
