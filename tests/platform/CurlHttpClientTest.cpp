#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "CurlHttpClient.h"
#include "GatewayProcess.h"

namespace corvane::test {
namespace {

using ::testing::HasSubstr;

// A loopback port that nothing listens on: bound, noted, closed.
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

TEST(CurlHttpClientTest, ARefusedConnectionIsFlaggedAndKeepsItsTransientWord) {
    const int port = ClosedLoopbackPort();
    ASSERT_GT(port, 0);
    CurlHttpClient http;
    const HttpResult result = http.Get("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.couldNotConnect);
    EXPECT_THAT(result.error, HasSubstr("established"));
}

TEST(CurlHttpClientTest, OtherFailuresAreNotFlagged) {
    CurlHttpClient http;
    const HttpResult unresolved = http.Get("http://quotes.nosuch.invalid/");
    EXPECT_FALSE(unresolved.ok);
    EXPECT_FALSE(unresolved.couldNotConnect);

    GatewayProcess gateway(DemoDataDir(), {"--delay-ms", "1500"});
    ASSERT_TRUE(gateway.Running());
    CurlHttpClient impatient(true, 1);
    const HttpResult late = impatient.Get(gateway.BaseUrl() + "/updates.asp");
    EXPECT_FALSE(late.ok);
    EXPECT_FALSE(late.couldNotConnect);
    EXPECT_THAT(late.error, HasSubstr("timed out"));

    const HttpResult answered = http.Get(gateway.BaseUrl() + "/updates.asp");
    EXPECT_TRUE(answered.ok) << answered.error;
    EXPECT_FALSE(answered.couldNotConnect);
}

}  // namespace
}  // namespace corvane::test
