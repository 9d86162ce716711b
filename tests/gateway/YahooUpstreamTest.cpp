#include <gmock/gmock.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "CurlHttpClient.h"
#include "GatewayProcess.h"
#include "TempDir.h"
#include "YahooChart.h"

namespace corvane::gateway {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');) fields.push_back(field);
    return fields;
}

json Recorded(const std::string& file) {
    std::ifstream in(test::TestDataDir() / "upstream" / file);
    return json::parse(in)["response"]["bodyJson"];
}

// The AAPL answer with two bars in front of its 4:1 split of 31 August 2020.
json AaplAcrossTheSplit() {
    json body = Recorded("chart-AAPL-2020-08-31-to-2020-11-07.json");
    json& result = body["chart"]["result"][0];
    auto prepend = [](json& array, const json& a, const json& b) {
        array.insert(array.begin(), b);
        array.insert(array.begin(), a);
    };
    prepend(result["timestamp"], 1598535000, 1598621400);  // 27 and 28 August, 09:30 New York
    json& quote = result["indicators"]["quote"][0];
    for (const char* field : {"open", "high", "low", "close"}) prepend(quote[field], 125.0, 124.5);
    prepend(quote["volume"], 400000000, 300000000);
    prepend(result["indicators"]["adjclose"][0]["adjclose"], 122.0, 121.5);
    return body;
}

TEST(YahooChartTest, SplitsAreUndoneForTheTradedPrices) {
    const auto chart = ParseChart(AaplAcrossTheSplit().dump());
    ASSERT_TRUE(chart);
    ASSERT_EQ(chart->bars.size(), 51u);
    EXPECT_EQ(chart->bars[0].date, 20200827);
    EXPECT_DOUBLE_EQ(chart->bars[0].close, 500.0);  // 125 x 4, as traded before the split
    EXPECT_DOUBLE_EQ(chart->bars[0].volume, 100000000);
    EXPECT_DOUBLE_EQ(chart->bars[0].adjClose, 122.0);
    EXPECT_EQ(chart->bars[2].date, 20200831);  // the split day trades at the new scale
    EXPECT_NEAR(chart->bars[2].close, 129.04, 0.01);
}

TEST(YahooChartTest, LocalDatesOfTheExchange) {
    const auto wsu = ParseChart(Recorded("chart-WSU.DE-2023-08-04-to-2023-08-09.json").dump());
    ASSERT_TRUE(wsu && !wsu->bars.empty());
    EXPECT_EQ(wsu->timezone, "Europe/Berlin");
    EXPECT_EQ(wsu->bars.front().date, 20230804);
    const auto fx = ParseChart(Recorded("chart-EURUSD=X-2020-01-01-to-2020-01-03.json").dump());
    ASSERT_TRUE(fx && !fx->bars.empty());
    EXPECT_EQ(fx->bars.front().date, 20200101);
    EXPECT_EQ(LocalDate(1598880600, "America/New_York"), 20200831);
    EXPECT_EQ(LocalDate(1598880600 - 14 * 3600, "America/New_York"), 20200830);
}

TEST(YahooChartTest, AnswersOfTheWrongShapeNeverThrow) {
    for (
        const char* text :
        {"", "[]", R"({"chart":[]})", R"({"chart":{"result":[{"meta":[],"timestamp":{}}]}})",
         R"({"chart":{"result":[{"meta":{"exchangeTimezoneName":7},"timestamp":[1e300, 4611686018427387904],
             "indicators":{"quote":[{"open":[1,1],"high":[1,1],"low":[1,1],"close":[1,1]}]},
             "events":{"splits":{"x":{"date":"soon","numerator":"4"}}}}]}})"}) {
        const auto chart = ParseChart(text);
        if (chart) {
            EXPECT_TRUE(chart->bars.empty()) << text;
        }
    }
}

TEST(YahooChartTest, SymbolsAsYahooSpellsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"brk.b", "BRK-B"}, {"VOD.L", "VOD.L"}, {"WSU.DE", "WSU.DE"},     {"ENI.MI", "ENI.MI"},
        {"^GSPC", "^GSPC"}, {"MSFT", "MSFT"},   {"EURUSD=X", "EURUSD=X"},
    };
    for (const auto& [given, yahoo] : cases) EXPECT_EQ(YahooSymbol(given), yahoo) << given;
}

// Replays recorded answers on loopback, as Yahoo would give them.
class FakeYahoo {
public:
    FakeYahoo() {
        bodies_["AAPL"] = AaplAcrossTheSplit().dump();
        bodies_["MSFT"] =
            Recorded("historical-via-chart-MSFT-dividends-2021-02-01-to-2022-01-31.csv.json")
                .dump();
        bodies_["WSU.DE"] = Recorded("chart-WSU.DE-2023-08-04-to-2023-08-09.json").dump();
        bodies_["QQQ"] = Recorded("chart-QQQ-2020-01-01-to-2020-01-03.json").dump();
        bodies_["EURUSD=X"] = Recorded("chart-EURUSD=X-2020-01-01-to-2020-01-03.json").dump();
        server_.Get(R"(/v8/finance/chart/(.+))", [this](const httplib::Request& request,
                                                        httplib::Response& response) {
            ++requests;
            lastQuery = request.params.count("period2") ? request.get_param_value("period2") : "";
            const std::string symbol = request.matches[1];
            if (symbol == "BUSY" && busyLeft-- > 0) {
                response.status = 429;
                response.set_content("Too Many Requests", "text/plain");
                return;
            }
            const auto found = bodies_.find(symbol == "BUSY" ? "QQQ" : symbol);
            if (found == bodies_.end()) {
                response.status = 404;
                response.set_content(
                    R"({"chart":{"result":null,"error":{"code":"Not Found","description":"No data found"}}})",
                    "application/json");
                return;
            }
            response.set_content(found->second, "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~FakeYahoo() {
        server_.stop();
        thread_.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

    std::atomic<int> requests{0};
    std::atomic<int> busyLeft{0};
    std::string lastQuery;

private:
    std::map<std::string, std::string> bodies_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

class YahooUpstreamTest : public ::testing::Test {
protected:
    YahooUpstreamTest()
        : gateway_(test::DemoDataDir(),
                   {"--upstream", "yahoo", "--upstream-url", fake_.Url(), "--cache-dir",
                    (cache_ / "c").string(), "--today", "20250301", "--upstream-backoff-ms", "1",
                    "--upstream-retries", "2"}) {}

    HttpResult Get(const std::string& pathAndQuery) {
        return http_.Get(gateway_.BaseUrl() + pathAndQuery);
    }

    FakeYahoo fake_;
    test::TempDir cache_;
    test::GatewayProcess gateway_;
    CurlHttpClient http_;
};

TEST_F(YahooUpstreamTest, HistoryWithTradedClosesAndACacheForFinishedWindows) {
    const std::string window =
        "/table.csv?s=AAPL&a=07&b=27&c=2020&d=10&e=06&f=2020&g=d&ignore=.csv";
    const HttpResult first = Get(window);
    ASSERT_TRUE(first.ok) << first.error;
    ASSERT_EQ(first.lines.size(), 52u);
    EXPECT_EQ(first.lines[0], "Date,Open,High,Low,Close,Volume,Adj Close");
    EXPECT_THAT(first.lines[1], HasSubstr("2020-11-06,"));
    EXPECT_EQ(first.lines.back(), "2020-08-27,500,500,500,500,100000000,122");
    const int asked = fake_.requests;
    EXPECT_EQ(Get(window).lines, first.lines);
    EXPECT_EQ(fake_.requests, asked);  // answered from the cache
}

TEST_F(YahooUpstreamTest, DividendsDottedSymbolsAndTheExclusiveEnd) {
    const HttpResult msft = Get("/table.csv?s=MSFT&a=01&b=01&c=2021&d=00&e=31&f=2022&g=d");
    ASSERT_TRUE(msft.ok);
    bool differs = false;
    for (std::size_t i = 1; i < msft.lines.size(); ++i) {
        const std::vector<std::string> fields = SplitFields(msft.lines[i]);
        ASSERT_EQ(fields.size(), 7u);
        differs = differs || fields[4] != fields[6];  // close and adjusted close
    }
    EXPECT_TRUE(differs);
    const HttpResult wsu =
        Get("/table.csv?s=wsu.de&a=07&b=04&c=2023&d=07&e=09&f=2023&g=d&z=200&y=0");
    ASSERT_TRUE(wsu.ok);
    EXPECT_THAT(wsu.lines.back(), HasSubstr("2023-08-04,"));
    const HttpResult qqq = Get("/table.csv?s=QQQ&a=00&b=02&c=2020&d=00&e=02&f=2020&g=d");
    ASSERT_EQ(qqq.lines.size(), 2u);
    EXPECT_THAT(qqq.lines[1], HasSubstr("2020-01-02,"));
    // period2 is exclusive: the request reaches past the last day wanted.
    EXPECT_GE(std::stoll(fake_.lastQuery), 1577923200 + 86400);
}

TEST_F(YahooUpstreamTest, CurrencyPairThroughTheForexPath) {
    const HttpResult fx =
        Get("/FOREXQUOTE.txt?d=d&m=5&em=83&p=8&df=01&mf=00&yf=2020&dt=03&mt=00&yt=2020&f=EURUSD");
    ASSERT_TRUE(fx.ok);
    ASSERT_FALSE(fx.lines.empty());
    EXPECT_THAT(fx.lines[0], HasSubstr("EURUSD,D,20200101,000000,"));
    EXPECT_TRUE(fx.lines[0].ends_with(",0"));
}

// Odd dates in a query give an answer; a window that ends before it starts is
// answered empty without asking upstream.
TEST_F(YahooUpstreamTest, OddDatesInAQuery) {
    const HttpResult empty = Get("/table.csv?s=AAPL&a=00&b=01&c=999999&g=d");
    ASSERT_TRUE(empty.ok) << empty.error;
    EXPECT_THAT(empty.lines, ::testing::ElementsAre("Date,Open,High,Low,Close,Volume,Adj Close"));
    EXPECT_EQ(fake_.requests, 0);
    for (const char* query : {"c=2020&d=99&e=99&f=2147483647", "c=-2147483648&a=-1&b=99",
                              "c=soon&f=2020&d=-7", "yf=-5&yt=999999&f=EURUSD"}) {
        const std::string path = query[0] == 'y' ? "/FOREXQUOTE.txt?" : "/table.csv?s=AAPL&";
        const HttpResult answer = Get(path + query);
        EXPECT_TRUE(answer.ok) << query << " " << answer.error;
    }
}

TEST_F(YahooUpstreamTest, UnknownSymbolAndRateLimits) {
    const HttpResult unknown = Get("/table.csv?s=NOSUCH&a=00&b=01&c=2020&d=00&e=31&f=2020&g=d");
    ASSERT_TRUE(unknown.ok);
    EXPECT_THAT(unknown.lines, ::testing::Contains(HasSubstr("Not Found")));
    fake_.busyLeft = 1;
    const HttpResult patient = Get("/table.csv?s=BUSY&a=00&b=02&c=2020&d=00&e=02&f=2020&g=d");
    EXPECT_TRUE(patient.ok) << patient.error;
    fake_.busyLeft = 100;
    const HttpResult refused = Get("/table.csv?s=BUSY&a=00&b=02&c=2021&d=00&e=02&f=2021&g=d");
    EXPECT_FALSE(refused.ok);
    EXPECT_THAT(refused.error, HasSubstr("Too Many Requests"));
}

}  // namespace
}  // namespace corvane::gateway
