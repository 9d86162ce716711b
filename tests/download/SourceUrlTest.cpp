#include <gtest/gtest.h>

#include "ForexSource.h"
#include "HistorySource.h"
#include "QueryText.h"

namespace corvane {
namespace {

const std::string kHost = "http://h";

TEST(HistoryUrlTest, QueryInItsFixedOrder) {
    struct Case {
        std::string symbol;
        std::int32_t start, end;
        Periodicity periodicity;
        DownloadMode mode;
        int page;
        std::string query;
    };
    const Case cases[] = {
        {"IBM", 20050315, 20050415, Periodicity::Daily, DownloadMode::Overwrite, 0,
         "s=IBM&a=02&b=15&c=2005&d=03&e=15&f=2005&g=d&ignore=.csv"},
        {"IBM", 20050302, 20060115, Periodicity::Weekly, DownloadMode::Update, 0,
         "s=IBM&a=01&b=25&c=2005&d=00&e=15&f=2006&g=w&ignore=.csv"},
        {"ENI.MI", 20050315, 20050415, Periodicity::Monthly, DownloadMode::Overwrite, 2,
         "s=ENI.MI&a=02&b=15&c=2005&d=03&e=15&f=2005&g=m&z=200&y=400&ignore=.csv"},
        {"^GSPC", 20050101, 20050131, Periodicity::Daily, DownloadMode::Overwrite, 0,
         "s=%5EGSPC&a=00&b=01&c=2005&d=00&e=31&f=2005&g=d&ignore=.csv"},
        {"A&B=C D", 20050101, 20050131, Periodicity::Daily, DownloadMode::Overwrite, 0,
         "s=A%26B%3DC%20D&a=00&b=01&c=2005&d=00&e=31&f=2005&g=d&ignore=.csv"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildHistoryUrl(kHost, c.symbol, c.start, c.end, c.periodicity, c.mode, c.page),
                  kHost + "/table.csv?" + c.query)
            << c.symbol;
    }
}

TEST(HistoryUrlTest, UpdateStartGoesBackFiveCalendarDays) {
    EXPECT_EQ(RequestStart(20050315, DownloadMode::Update), 20050310);
    EXPECT_EQ(RequestStart(20050303, DownloadMode::Update), 20050226);
    EXPECT_EQ(RequestStart(20050101, DownloadMode::Update), 20041227);
    EXPECT_EQ(RequestStart(20050315, DownloadMode::Overwrite), 20050315);
}

TEST(PercentEncodeTest, OnlyUnreservedBytesStayPlain) {
    EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(PercentEncode("^$&=+/ \xff"), "%5E%24%26%3D%2B%2F%20%FF");
}

TEST(ForexUrlTest, PairCodesAndPeriods) {
    EXPECT_EQ(BuildForexUrl(kHost, "FX$usdjpy", 20050315, 20050415, Periodicity::Daily,
                            DownloadMode::Overwrite),
              kHost +
                  "/FOREXQUOTE.txt?d=d&m=5&em=87&p=8&df=15&mf=02&yf=2005&dt=15&mt=03&yt=2005"
                  "&f=USDJPY&e=.txt&dtf=1&tmf=1&MSOR=0&cn=USDJPY&sep=1&sep2=1&datf=1&at=0&fsp=1");
    const std::string weekly = BuildForexUrl(kHost, "$GBPJPY", 20050315, 20050415,
                                             Periodicity::Weekly, DownloadMode::Update);
    EXPECT_EQ(weekly.find("&em="), std::string::npos);
    EXPECT_NE(weekly.find("&p=9&df=10&mf=02"), std::string::npos);
    EXPECT_TRUE(IsCurrencyPair("$EURUSD"));
    EXPECT_FALSE(IsCurrencyPair("EURUSD"));
}

}  // namespace
}  // namespace corvane
