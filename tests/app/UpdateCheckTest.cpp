#include <gmock/gmock.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "CurlHttpClient.h"
#include "GatewayProcess.h"
#include "TempDir.h"
#include "UpdateCheck.h"

namespace corvane::test {
namespace {

LocalDateTime At(int year, int month, int day, int hour = 8) {
    return LocalDateTime{year, month, day, hour, 0, 0, 0};
}

TEST(UpdateCheckTest, DueAfterTheChosenPeriod) {
    const struct {
        const char* lastUpdate;
        int periodicity;
        LocalDateTime now;
        bool due;
    } cases[] = {
        {"", 1, At(2011, 1, 5), true},  // counts from 20070101
        {"20110104", 0, At(2011, 1, 5), true},
        {"20110105", 0, At(2011, 1, 5, 23), false},
        {"20101229", 1, At(2011, 1, 5), false},  // 7 days
        {"20101229", 1, At(2011, 1, 6), true},
        {"20101206", 2, At(2011, 1, 5), false},  // 30 days
        {"20101205", 2, At(2011, 1, 5), true},
        {"20110104", 3, At(2011, 1, 5), false},  // no such period
        {"20111340", 0, At(2011, 1, 5), true},   // not a date: as if empty
        {"2011010", 1, At(2007, 1, 5), false},   // short: 20070101, four days
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsUpdateCheckDue(c.lastUpdate, c.periodicity, c.now), c.due)
            << c.lastUpdate << " " << c.periodicity;
    EXPECT_EQ(NormalisedLastUpdate("abcdefgh"), "20070101");
    EXPECT_EQ(NormalisedLastUpdate("20110105"), "20110105");
}

TEST(UpdateCheckTest, AnswersAsTheDialogShowsThem) {
    const auto offer = ParseUpdateAnswer("1108001");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->versionText, "1.08.001");
    EXPECT_EQ(offer->setupCode, "108");
    const auto major = ParseUpdateAnswer("11000001\r");
    ASSERT_TRUE(major);
    EXPECT_EQ(major->versionText, "10.00.001");
    EXPECT_EQ(major->setupCode, "1000");
    for (const char* none : {"0", "", "2108001", "<html>"}) EXPECT_FALSE(ParseUpdateAnswer(none));
}

TEST(UpdateCheckTest, TheMakersServerOverLoopback) {
    TempDir data;
    CurlHttpClient http;
    {
        GatewayProcess offering(data.Path(), {"--latest-version", "108001"});
        const UpdateAnswer answer = AskForUpdate(http, offering.BaseUrl(), 108000);
        ASSERT_TRUE(answer.reached) << answer.error;
        ASSERT_TRUE(answer.offer);
        EXPECT_EQ(answer.offer->versionText, "1.08.001");
    }
    GatewayProcess current(data.Path());
    const UpdateAnswer none = AskForUpdate(http, current.BaseUrl(), 108000);
    EXPECT_TRUE(none.reached);
    EXPECT_FALSE(none.offer);
}

// A port that accepts connections and never answers: every request times out.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 16);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

// Counts the requests of a real client.
class CountingHttpClient : public HttpClient {
public:
    explicit CountingHttpClient(long timeoutSeconds) : curl_(false, timeoutSeconds) {}
    HttpResult Get(const std::string& url) override {
        ++requests;
        return curl_.Get(url);
    }
    int requests = 0;

private:
    CurlHttpClient curl_;
};

TEST(UpdateCheckTest, UnreachableAndSilentServersGiveOneErrorAfterABoundedNumberOfTries) {
    CountingHttpClient http(1);
    SilentServer silent;
    const UpdateAnswer timedOut = AskForUpdate(http, silent.Url(), 108000, 2, 1);
    EXPECT_FALSE(timedOut.reached);
    EXPECT_NE(timedOut.error.find("timed out"), std::string::npos) << timedOut.error;
    EXPECT_EQ(http.requests, 3);  // the first try and two more

    http.requests = 0;
    const UpdateAnswer refused = AskForUpdate(http, "http://127.0.0.1:9", 108000, 2, 1);
    EXPECT_FALSE(refused.reached);
    EXPECT_FALSE(refused.error.empty());
    EXPECT_EQ(http.requests, 1);  // only time-outs are asked again
}

}  // namespace
}  // namespace corvane::test
