#include "FetchSession.h"

#include <chrono>
#include <thread>

namespace corvane {

bool IsTransientError(const std::string& errorText) {
    for (const char* word : {"timed out", "reset", "invalid", "established"})
        if (errorText.find(word) != std::string::npos) return true;
    return false;
}

std::optional<std::vector<std::string>> FetchLines(FetchSession& session, const std::string& url) {
    for (int attempt = 0;; ++attempt) {
        HttpResult result = session.http.Get(url);
        if (result.ok) return std::move(result.lines);
        // Nothing took the first connection: no service is there to wait
        // for, and the retries would only add their growing pauses (eleven
        // seconds with the defaults) before the same message.
        const bool nothingThere = attempt == 0 && result.couldNotConnect;
        if (!nothingThere && IsTransientError(result.error) &&
            attempt < session.maxTransientRetries) {
            std::this_thread::sleep_for(
                std::chrono::milliseconds(session.retryPauseMs * (attempt + 1)));
            continue;
        }
        session.prompt.Show(result.error.substr(0, 255), kNetworkErrorCaption, PromptIcon::None,
                            PromptButtons::Ok);
        session.stopFlag = 1;
        return std::nullopt;
    }
}

}  // namespace corvane
