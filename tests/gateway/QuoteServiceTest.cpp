#include <gmock/gmock.h>

#include "HttpClient.h"
#include "QuoteService.h"

namespace corvane::gateway {
namespace {

using ::testing::ElementsAre;

DailyBar Bar(std::int32_t date, double open, double high, double low, double close, double volume) {
    return {date, open, high, low, close, volume, close};
}

QuoteService Service(ServiceOptions options = {}) {
    DailyHistory history;
    // Thursday 3 March 2005 to Tuesday 5 April 2005, not in date order.
    history.Add("ABC.MI", {Bar(20050308, 5, 9, 4, 8, 10), Bar(20050303, 1, 2, 0.5, 1.5, 1),
                           Bar(20050304, 2, 3, 1, 2.5, 2), Bar(20050331, 7, 7, 6, 6.5, 5),
                           Bar(20050405, 8, 8, 7, 7.5, 6)});
    history.Add("EURUSD", {Bar(20050315, 1.3312, 1.3345, 1.329, 1.332, 0)});
    history.Add("^IDX", {Bar(20050315, 1200.08, 1201.2, 1195.1, 1197.75, 1234500)});
    return QuoteService(std::move(history), std::move(options));
}

std::vector<std::string> Lines(const Answer& answer) {
    return SplitLines(answer.body);
}

TEST(QuoteServiceTest, HistoryNewestFirstInTheRequestedRange) {
    const Answer answer = Service().Handle("/table.csv", {{"s", "abc.mi"},
                                                          {"a", "02"},
                                                          {"b", "04"},
                                                          {"c", "2005"},
                                                          {"d", "02"},
                                                          {"e", "31"},
                                                          {"f", "2005"},
                                                          {"g", "d"}});
    EXPECT_EQ(answer.status, 200);
    EXPECT_THAT(Lines(answer), ElementsAre("Date,Open,High,Low,Close,Volume,Adj Close",
                                           "2005-03-31,7,7,6,6.5,5,6.5", "2005-03-08,5,9,4,8,10,8",
                                           "2005-03-04,2,3,1,2.5,2,2.5"));
}

TEST(QuoteServiceTest, WeeklyAndMonthlyBarsFromDailyOnes) {
    const QuoteService service = Service();
    EXPECT_THAT(Lines(service.Handle("/table.csv", {{"s", "ABC.MI"}, {"g", "w"}})),
                ElementsAre("Date,Open,High,Low,Close,Volume,Adj Close",
                            "2005-04-05,8,8,7,7.5,6,7.5", "2005-03-31,7,7,6,6.5,5,6.5",
                            "2005-03-08,5,9,4,8,10,8", "2005-03-03,1,3,0.5,2.5,3,2.5"));
    EXPECT_THAT(Lines(service.Handle("/table.csv", {{"s", "ABC.MI"}, {"g", "m"}})),
                ElementsAre("Date,Open,High,Low,Close,Volume,Adj Close",
                            "2005-04-05,8,8,7,7.5,6,7.5", "2005-03-03,1,9,0.5,6.5,18,6.5"));
}

TEST(QuoteServiceTest, PagesOfZRowsFromY) {
    const Answer answer = Service().Handle("/table.csv", {{"s", "ABC.MI"}, {"z", "2"}, {"y", "2"}});
    EXPECT_THAT(Lines(answer),
                ElementsAre("Date,Open,High,Low,Close,Volume,Adj Close", "2005-03-08,5,9,4,8,10,8",
                            "2005-03-04,2,3,1,2.5,2,2.5"));
}

TEST(QuoteServiceTest, UnknownSymbolOrPathIsNotFound) {
    for (const char* path : {"/table.csv", "/FOREXQUOTE.txt", "/nowhere"}) {
        const Answer answer = Service().Handle(path, {{"s", "NOPE"}, {"f", "NOPE"}});
        EXPECT_EQ(answer.status, 404) << path;
        EXPECT_NE(answer.body.find("Not Found"), std::string::npos);
    }
}

TEST(QuoteServiceTest, QuoteLinesForStocksNotForIndices) {
    ServiceOptions options;
    options.today = 20050308;
    const QuoteService service = Service(options);
    EXPECT_EQ(service.Handle("/d/quotes.csv", {{"s", "ABC.MI"}, {"f", "sl1d1c1ohgv"}}).body,
              "\"ABC.MI\",8,\"3/8/2005\",5.5,5,9,4,10\n");
    EXPECT_EQ(service.Handle("/d/quotes.csv", {{"s", "^IDX"}, {"f", "sl1d1c1ohgv"}}).body,
              "\"^IDX\",0.00,\"N/A\",N/A,N/A,N/A,N/A,N/A\n");
    EXPECT_EQ(service.Handle("/d/quotes.csv", {{"s", "ABC.MI"}, {"f", "f6"}}).body, "0\n");
}

TEST(QuoteServiceTest, ForexLinesOldestFirstInTheServiceLayout) {
    const Answer answer = Service().Handle("/FOREXQUOTE.txt", {{"f", "EURUSD"},
                                                               {"p", "8"},
                                                               {"df", "01"},
                                                               {"mf", "02"},
                                                               {"yf", "2005"},
                                                               {"dt", "31"},
                                                               {"mt", "02"},
                                                               {"yt", "2005"}});
    EXPECT_THAT(Lines(answer), ElementsAre("EURUSD,D,20050315,000000,1.3312,1.3345,1.329,1.332,0"));
}

// Values far out of range, negative or no number at all give a plain answer,
// with no overflow on the way (the sanitizer build stops on one).
TEST(QuoteServiceTest, OddQueryValuesGiveAPlainAnswer) {
    struct Case {
        const char* path;
        Query query;
        std::size_t lines;
    };
    const Case cases[] = {
        {"/table.csv", {{"s", "ABC.MI"}, {"c", "999999"}}, 1},  // starting past every bar
        {"/table.csv",
         {{"s", "ABC.MI"}, {"a", "2147483647"}, {"b", "2147483647"}, {"c", "2005"}},
         1},
        {"/table.csv", {{"s", "ABC.MI"}, {"d", "11"}, {"e", "31"}, {"f", "2147483647"}}, 6},
        {"/table.csv", {{"s", "ABC.MI"}, {"c", "-2147483648"}, {"a", "-1"}, {"b", "-1"}}, 6},
        {"/table.csv", {{"s", "ABC.MI"}, {"c", "99999999999999999999999"}}, 1},
        {"/table.csv", {{"s", "ABC.MI"}, {"f", "-99999999999999999999999"}}, 1},
        {"/table.csv", {{"s", "ABC.MI"}, {"c", "soon"}, {"a", "x"}, {"b", ""}}, 6},
        {"/table.csv", {{"s", "ABC.MI"}, {"y", "1"}, {"z", "2147483647"}}, 5},
        {"/table.csv", {{"s", "ABC.MI"}, {"y", "-7"}, {"z", "-1"}}, 6},
        {"/FOREXQUOTE.txt", {{"f", "EURUSD"}, {"yf", "999999"}, {"yt", "2147483647"}}, 0},
        {"/FOREXQUOTE.txt",
         {{"f", "EURUSD"}, {"yf", "-5"}, {"mt", "-2147483648"}, {"yt", "2005"}},
         0},
    };
    const QuoteService service = Service();
    for (const Case& c : cases) {
        const Answer answer = service.Handle(c.path, c.query);
        EXPECT_EQ(answer.status, 200) << c.path;
        EXPECT_EQ(Lines(answer).size(), c.lines) << c.path << ::testing::PrintToString(c.query);
    }
}

TEST(QuoteServiceTest, MakersPaths) {
    ServiceOptions options;
    EXPECT_EQ(Service(options).Handle("/updates.asp", {{"version", "108000"}}).body, "0\n");
    options.latestVersion = "108001";
    EXPECT_EQ(Service(options).Handle("/updates.asp", {}).body, "1108001\n");
    EXPECT_EQ(Service(options).Handle("/crv108_setup.exe", {}).status, 200);
}

TEST(PercentDecodeTest, FileNamesCarryAnySymbol) {
    EXPECT_EQ(PercentDecode("BRK%2FB"), "BRK/B");
    EXPECT_EQ(PercentDecode("100%"), "100%");
    EXPECT_EQ(PercentDecode("%zz"), "%zz");
}

}  // namespace
}  // namespace corvane::gateway
