#include <gmock/gmock.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "GatewayProcess.h"

namespace corvane::gateway {
namespace {

using ::testing::Contains;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kQuickRequest =
    "GET /updates.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";

// A raw connection to the gateway on loopback, for clients that misbehave in
// ways an HTTP library will not. Every call is bounded in time.
class RawConnection {
public:
    explicit RawConnection(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        const timeval sendBound{2, 0};
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendBound, sizeof sendBound);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { close(fd_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // False once the server has stopped taking bytes.
    bool Send(const std::string& bytes) {
        std::size_t sent = 0;
        while (connected_ && sent < bytes.size()) {
            const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return connected_;
    }

    // The status of the answer's first line; 0 if the server closed the connection
    // without one, -1 if none came within `bound`.
    int Status(Clock::duration bound) {
        const Clock::time_point deadline = Clock::now() + bound;
        std::string head;
        while (connected_ && head.find("\r\n") == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd readable{fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0)
                return -1;
            char buffer[256];
            const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            head.append(buffer, static_cast<std::size_t>(n));
        }
        if (!head.starts_with("HTTP/1.1 ") || head.size() < 12) return 0;
        return std::atoi(head.substr(9, 3).c_str());
    }

private:
    int fd_;
    bool connected_ = false;
};

class GatewayServerTest : public ::testing::Test {
protected:
    int QuickStatus() {
        RawConnection connection(gateway_.Port());
        connection.Send(kQuickRequest);
        return connection.Status(2s);
    }

    test::GatewayProcess gateway_{test::DemoDataDir()};
};

// A port something listens on is refused, not shared: a second gateway on it
// ends at once instead of taking some of the first one's connections.
TEST_F(GatewayServerTest, APortInUseIsNotShared) {
    ASSERT_TRUE(gateway_.Running());
    const test::GatewayProcess second(test::DemoDataDir(),
                                      {"--port", std::to_string(gateway_.Port())});
    EXPECT_FALSE(second.Running());
    EXPECT_EQ(QuickStatus(), 200);
}

TEST_F(GatewayServerTest, StalledClientsNeitherHoldTheOthersNorTheirWorkers) {
    ASSERT_EQ(QuickStatus(), 200);
    std::vector<std::unique_ptr<RawConnection>> stalled;
    for (int i = 0; i < 8; ++i) {
        stalled.push_back(std::make_unique<RawConnection>(gateway_.Port()));
        ASSERT_TRUE(
            stalled.back()->Send("GET /table.csv?s=AAPL HTTP/1.1\r\nHost: 127.0.0.1\r\nX-"));
    }
    // Answered well before any stalled request times out.
    EXPECT_EQ(QuickStatus(), 200);
    // Each stalled request is given up on in a few seconds: an error answer or a
    // closed connection.
    const Clock::time_point deadline = Clock::now() + 8s;
    for (const auto& connection : stalled) {
        const int status = connection->Status(deadline - Clock::now());
        EXPECT_TRUE(status == 0 || status >= 400) << status;
    }
}

TEST_F(GatewayServerTest, LargeOrUnmeasuredBodiesAreRefusedNotKept) {
    struct Case {
        std::string head;
        std::string body;
        std::vector<int> status;  // 0: the server hangs up without an answer
    };
    const std::string block(64 * 1024, 'a');
    std::string mebibyte;
    for (int i = 0; i < 16; ++i) mebibyte += block;
    const std::string post = "POST /table.csv HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const Case cases[] = {
        // Read past without being kept, then refused.
        {post + "Content-Length: " + std::to_string(mebibyte.size()) + "\r\n\r\n", mebibyte, {413}},
        // Refused as soon as the head is in; the answer may be lost to the hang-up.
        {post + "Transfer-Encoding: chunked\r\n\r\n", "10000\r\n" + block + "\r\n", {411, 0}},
    };
    for (const Case& c : cases) {
        RawConnection connection(gateway_.Port());
        ASSERT_TRUE(connection.Send(c.head));
        connection.Send(c.body);
        EXPECT_THAT(c.status, Contains(connection.Status(2s))) << c.head;
        EXPECT_EQ(QuickStatus(), 200) << c.head;
    }
}

}  // namespace
}  // namespace corvane::gateway
