#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>

#include "FetchSession.h"
#include "RecordingHttpClient.h"
#include "RecordingPrompt.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A loopback port that nothing listens on: bound to an ephemeral port,
// noted, closed. Connecting to it is refused.
int ClosedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound =
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    return bound ? ntohs(address.sin_port) : -1;
}

// Answers with the results it is given, in turn, the last one for good;
// every URL is noted.
class ScriptedHttpClient : public HttpClient {
public:
    explicit ScriptedHttpClient(std::deque<HttpResult> results) : results_(std::move(results)) {}
    HttpResult Get(const std::string& url) override {
        urls.push_back(url);
        HttpResult result = results_.front();
        if (results_.size() > 1) results_.pop_front();
        return result;
    }
    std::vector<std::string> urls;

private:
    std::deque<HttpResult> results_;
};

HttpResult Answer(std::vector<std::string> lines) {
    return {true, std::move(lines), "", false};
}
HttpResult TimedOut() {
    return {
        false, {}, "The operation timed out: Operation timed out after 1000 milliseconds", false};
}
HttpResult Refused() {
    return {
        false, {}, "A connection with the server could not be established: Couldn't connect", true};
}

class FetchSessionTest : public ::testing::Test {
protected:
    FetchSession Session(HttpClient& http) {
        FetchSession session{http, prompt_};
        session.retryPauseMs = 1;
        return session;
    }
    RecordingPrompt prompt_;
};

// Nothing listens on the service's port: the first refusal is told at once,
// with no retry and so no pause before it.
TEST_F(FetchSessionTest, ARefusedConnectionOverLoopbackIsToldAtOnce) {
    const int port = ClosedLoopbackPort();
    ASSERT_GT(port, 0);
    RecordingHttpClient http;
    FetchSession session = Session(http);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/table.csv?s=MSFT";
    EXPECT_FALSE(FetchLines(session, url));
    EXPECT_THAT(http.urls, ElementsAre(url));
    EXPECT_EQ(session.stopFlag, 1);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].caption, "Corvane Error Message");
    // The text keeps the word of the transient classes; the flag told it apart.
    EXPECT_THAT(prompt_.shown[0].text, HasSubstr("could not be established"));
}

// Once a service has been there (it timed out), a refusal is it restarting:
// retried within the bound like the time-out.
TEST_F(FetchSessionTest, ARefusalAfterATimeOutIsRetried) {
    ScriptedHttpClient http({TimedOut(), Refused(), Answer({"Date,Open", "2013-01-02,1"})});
    FetchSession session = Session(http);
    const auto lines = FetchLines(session, "http://quotes/table.csv");
    ASSERT_TRUE(lines);
    EXPECT_THAT(*lines, ElementsAre("Date,Open", "2013-01-02,1"));
    EXPECT_EQ(http.urls.size(), 3u);
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_EQ(session.stopFlag, 0);
}

TEST_F(FetchSessionTest, RefusalsAfterATimeOutEndAtTheBound) {
    ScriptedHttpClient http({TimedOut(), Refused()});
    FetchSession session = Session(http);
    session.maxTransientRetries = 3;
    EXPECT_FALSE(FetchLines(session, "http://quotes/table.csv"));
    EXPECT_EQ(http.urls.size(), 4u);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_THAT(prompt_.shown[0].text, HasSubstr("could not be established"));
    EXPECT_EQ(session.stopFlag, 1);
}

TEST_F(FetchSessionTest, TimeOutsAreStillRetriedFromTheFirstTry) {
    ScriptedHttpClient http({TimedOut(), TimedOut(), Answer({})});
    FetchSession session = Session(http);
    const auto lines = FetchLines(session, "http://quotes/table.csv");
    ASSERT_TRUE(lines);
    EXPECT_TRUE(lines->empty());
    EXPECT_EQ(http.urls.size(), 3u);
    EXPECT_TRUE(prompt_.shown.empty());
}

}  // namespace
}  // namespace corvane::test
