#include <gmock/gmock.h>

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "CRightListView.h"
#include "CalendarDate.h"
#include "CurlHttpClient.h"
#include "DataDirBuilder.h"
#include "DlgBreadth.h"
#include "DlgIndex.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "InMemorySettingsStore.h"
#include "ListSelection.h"
#include "ProgressClicks.h"
#include "QtEventPump.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::FloatEq;

template <typename T>
T& Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no child ") + name);
    return *child;
}

QString Text(QWidget& parent, const char* label) {
    return Child<QLabel>(parent, label).text();
}

// A data directory of securities with a bar on every weekday of their range,
// listed in a real security list whose selection the dialogs read.
class AnalyticsDialogTest : public ::testing::Test {
protected:
    AnalyticsDialogTest() { fs::current_path(dir_.Path()); }
    ~AnalyticsDialogTest() override {
        std::error_code error;
        fs::current_path(start_, error);
    }

    // Bars from `first` to `last` (YYYYMMDD); the close of the i-th bar is close(i).
    void Add(
        const std::string& symbol, std::int32_t first, std::int32_t last,
        const std::function<float(int)>& close = [](int) { return 10.0f; }, float volume = 100) {
        StoreWriter writer(prompt_, clock_);
        if (writer.Open(dir_.Path()) != Result::Ok) {
            ASSERT_EQ(writer.CreateDirectory(dir_.Path()), Result::Ok);
            ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
        }
        ASSERT_EQ(writer.AddSecurity(symbol, symbol, 'D'), Result::Ok);
        ASSERT_EQ(writer.OpenPriceFileForWrite(symbol, false), Result::Ok);
        int i = 0;
        for (std::int32_t day = first; day <= last; day = AddDays(day, 1)) {
            if (DayOfWeek(day) == 0 || DayOfWeek(day) == 6) continue;
            const float value = close(i++);
            ASSERT_EQ(
                writer.AppendBar({day - 19000000, value, value + 1, value - 1, value, volume, 0}),
                Result::Ok);
        }
        ASSERT_EQ(writer.ClosePriceFile(), Result::Ok);
        writer.Close();
    }
    void Select(const std::vector<std::string>& symbols) {
        list_.ReloadSecurityList();
        list_.SelectSymbols(symbols);
    }
    AnalyticsContext Context() {
        return AnalyticsContext{
            prompt_,
            clock_,
            pump_,
            store_,
            &window_,
            dir_.Path(),
            [this] { return ReadListSelection(list_); },
            [this](const std::vector<std::string>& symbols) { list_.SelectSymbols(symbols); },
            [this] {
                ++reloads_;
                list_.ReloadSecurityList();
            },
            [this](const QString& topic) { help_.push_back(topic); }};
    }
    std::vector<float> Closes(const std::string& symbol) {
        std::vector<float> closes;
        for (const PriceBar& bar : ReadBars(dir_.Path(), symbol)) closes.push_back(bar.close);
        return closes;
    }

    QApplication& application_ = TestApplication();
    fs::path start_ = fs::current_path();
    TempDir dir_;
    RecordingPrompt prompt_;
    FixedClock clock_{LocalDateTime{2007, 1, 5, 12, 0, 0, 5}};  // a Friday
    CCorvaneDoc doc_{prompt_, clock_};
    AppSettings settings_;
    InMemorySettingsStore store_;
    QtEventPump pump_;
    QWidget window_;
    CRightListView list_{doc_, settings_, &window_};
    int reloads_ = 0;
    std::vector<QString> help_;
};

// The period at opening: two years back from today, 20050105 to 20070105.
constexpr std::int32_t kLongAgo = 20041201;
constexpr std::int32_t kToday = 20070105;

DlgBreadth::DownloadMissing NoDownload() {
    return [](const std::string&, std::int32_t, std::int32_t) {};
}

TEST_F(AnalyticsDialogTest, BreadthOpensOnTheSelectionsAvailability) {
    Add("A", kLongAgo, kToday);
    Add("B", kLongAgo, kToday);
    Add("LATE", kLongAgo, 20061229);  // misses the last date
    struct Case {
        std::vector<std::string> selected;
        const char* counts;  // selected, missing first, missing last, total missing, percentage
        const char* comments;
        const char* focused;
        bool updateEnabled;
    };
    const Case cases[] = {
        {{"A", "B"},
         "2 0 0 0 0%",
         "There are no missing data. Ready to calculate market breadth.",
         "calculateButton",
         false},
        {{"A", "B", "LATE"},
         "3 0 1 1 33%",
         "Missing data for the first or the last date. Update is recommended.",
         "updateButton",
         true},
    };
    for (const Case& c : cases) {
        Select(c.selected);
        DlgBreadth dialog(Context(), NoDownload());
        dialog.show();
        QApplication::processEvents();
        const QString counts = Text(dialog, "totalSelected") + u' ' +
                               Text(dialog, "missingFirstDate") + u' ' +
                               Text(dialog, "missingLastDate") + u' ' +
                               Text(dialog, "totalMissing") + u' ' + Text(dialog, "percentMissing");
        EXPECT_EQ(counts, QString::fromLatin1(c.counts));
        EXPECT_EQ(Text(dialog, "comments"), QString::fromLatin1(c.comments));
        EXPECT_EQ(Child<QPushButton>(dialog, "updateButton").isEnabled(), c.updateEnabled);
        EXPECT_TRUE(Child<QPushButton>(dialog, "calculateButton").isEnabled());
        EXPECT_EQ(dialog.focusWidget(), &Child<QPushButton>(dialog, c.focused));
        EXPECT_EQ(dialog.FirstDate(), 20050105);
        EXPECT_EQ(Child<QDateEdit>(dialog, "firstDate").date(), QDate(2005, 1, 5));
        EXPECT_FALSE(Child<QSlider>(dialog, "missingSlider").isEnabled());
    }
}

TEST_F(AnalyticsDialogTest, AnEmptyPeriodIsRefusedHoweverItIsReached) {
    // Best Available on ranges without a common day, and a Last Date moved
    // before the First Date, both leave no day to calculate.
    Add("OLD", kLongAgo, 20050630);
    Add("NEW", 20060103, kToday);
    Select({"OLD", "NEW"});
    DlgBreadth dialog(Context(), NoDownload());
    dialog.show();
    QTest::mouseClick(&Child<QRadioButton>(dialog, "modeBestAvailable"), Qt::LeftButton);
    EXPECT_EQ(dialog.FirstDate(), 20060103);
    EXPECT_EQ(dialog.LastDate(), 20050630);
    EXPECT_EQ(Text(dialog, "comments"), QStringLiteral("Invalid calculation period range."));
    EXPECT_FALSE(Child<QPushButton>(dialog, "calculateButton").isEnabled());

    QTest::mouseClick(&Child<QRadioButton>(dialog, "modeDefault"), Qt::LeftButton);
    Child<QDateEdit>(dialog, "lastDate").setDate(QDate(2004, 6, 1));
    EXPECT_EQ(Text(dialog, "comments"), QStringLiteral("Invalid calculation period range."));
    EXPECT_FALSE(Child<QPushButton>(dialog, "calculateButton").isEnabled());
}

TEST_F(AnalyticsDialogTest, BestAvailableAndPercentageMissingChooseTheFirstDate) {
    Add("A", kLongAgo, kToday);
    Add("B", 20060301, kToday);  // started inside the period
    Add("C", 20060601, 20070103);
    Select({"A", "B", "C"});
    DlgBreadth dialog(Context(), NoDownload());
    dialog.show();
    QTest::mouseClick(&Child<QRadioButton>(dialog, "modeBestAvailable"), Qt::LeftButton);
    EXPECT_EQ(dialog.FirstDate(), 20060601);
    EXPECT_EQ(dialog.LastDate(), 20070103);
    EXPECT_EQ(Text(dialog, "comments"),
              QStringLiteral("There are no missing days data for any security."));

    // At 0 % the timer moves the first date to the latest start inside the
    // opening period; no security then misses the first date.
    QTest::mouseClick(&Child<QRadioButton>(dialog, "modeDefault"), Qt::LeftButton);
    EXPECT_EQ(dialog.FirstDate(), 20050105);
    EXPECT_EQ(dialog.LastAnalysis().missingList, " B C");
    QTest::mouseClick(&Child<QRadioButton>(dialog, "modePercentageMissing"), Qt::LeftButton);
    EXPECT_TRUE(Child<QSlider>(dialog, "missingSlider").isEnabled());
    EXPECT_TRUE(dialog.MissingTimer().isActive());
    EXPECT_EQ(dialog.MissingTimer().interval(), 1000);
    QTest::qWait(1200);
    EXPECT_EQ(Text(dialog, "sliderLabel"), QStringLiteral("0%"));
    EXPECT_EQ(dialog.FirstDate(), 20060601);
    EXPECT_EQ(Child<QDateEdit>(dialog, "firstDate").date(), QDate(2006, 6, 1));
    EXPECT_EQ(Text(dialog, "missingFirstDate"), QStringLiteral("0"));

    // "Default" stops the timer and starts over as at opening.
    QTest::mouseClick(&Child<QRadioButton>(dialog, "modeDefault"), Qt::LeftButton);
    EXPECT_FALSE(dialog.MissingTimer().isActive());
    EXPECT_EQ(dialog.FirstDate(), 20050105);
    EXPECT_EQ(dialog.LastAnalysis().missingList, " B C");
}

TEST_F(AnalyticsDialogTest, UpdateDownloadsTheMissingAndSelectsExactlyTheSelectedAgain) {
    Add("IBM", kLongAgo, 20061229);
    Add("IBMX", kLongAgo, kToday);
    Add("MSFT", kLongAgo, kToday);
    Select({"IBM", "MSFT"});
    std::vector<std::string> asked;
    DlgBreadth dialog(
        Context(), [&](const std::string& symbols, std::int32_t first, std::int32_t last) {
            asked.push_back(symbols + " " + std::to_string(first) + " " + std::to_string(last));
            // As a download does: the missing days arrive and the list is read again.
            StoreWriter writer(prompt_, clock_);
            ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
            ASSERT_EQ(writer.OpenPriceFileBySymbol("IBM"), Result::Ok);
            for (std::int32_t day : {20070102, 20070103, 20070104, 20070105})
                ASSERT_EQ(writer.AppendBar({day - 19000000, 10, 11, 9, 10, 100, 0}), Result::Ok);
            ASSERT_EQ(writer.ClosePriceFile(), Result::Ok);
            writer.Close();
            list_.ReloadSecurityList();
        });
    dialog.show();
    QTest::mouseClick(&Child<QPushButton>(dialog, "updateButton"), Qt::LeftButton);
    EXPECT_THAT(asked, ElementsAre(" IBM 20050105 20070105"));
    EXPECT_EQ(list_.SelectedSymbols(), (std::vector<std::string>{"IBM", "MSFT"}));
    EXPECT_EQ(Text(dialog, "comments"),
              QStringLiteral("There are no missing days data for any security."));
    EXPECT_FALSE(Child<QPushButton>(dialog, "updateButton").isEnabled());
    EXPECT_EQ(dialog.focusWidget(), &Child<QPushButton>(dialog, "calculateButton"));
}

TEST_F(AnalyticsDialogTest, CalculateWritesTheFiveSeriesAndEndsTheDialogsWork) {
    Add("UP", kLongAgo, kToday, [](int i) { return 10.0f + static_cast<float>(i); });
    Add("DOWN", kLongAgo, kToday, [](int i) { return 1000.0f - static_cast<float>(i); });
    Add("FLAT", kLongAgo, kToday);
    Select({"UP", "DOWN", "FLAT"});
    DlgBreadth dialog(Context(), NoDownload());
    dialog.show();
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);  // Calculate has the focus
    EXPECT_TRUE(dialog.Calculated());
    EXPECT_THAT(ReadSymbols(dir_.Path()),
                ElementsAre("UP", "DOWN", "FLAT", "#ADV", "#DECL", "#UNCH", "#HIGHS", "#LOWS"));
    const std::vector<float> advances = Closes("#ADV");
    ASSERT_EQ(advances.size(), 522u);   // the weekdays after 5 January 2005
    EXPECT_EQ(advances.back(), -1.0f);  // one advance is written as -1
    EXPECT_EQ(Closes("#UNCH").back(), -1.0f);
    EXPECT_EQ(Text(dialog, "comments"),
              QStringLiteral("The calculations are completed successfully."));
    for (const char* name : {"updateButton", "calculateButton", "missingSlider", "modeDefault",
                             "modeBestAvailable", "modePercentageMissing", "firstDate", "lastDate"})
        EXPECT_FALSE(Child<QWidget>(dialog, name).isEnabled()) << name;
    EXPECT_EQ(dialog.focusWidget(), &Child<QPushButton>(dialog, "closeButton"));
    EXPECT_EQ(reloads_, 1);
    EXPECT_EQ(list_.Model().rowCount(), 8);

    QTest::mouseClick(&Child<QPushButton>(dialog, "helpButton"), Qt::LeftButton);
    EXPECT_THAT(help_, ElementsAre(QStringLiteral("breadth.htm")));
    QTest::mouseClick(&Child<QPushButton>(dialog, "closeButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(AnalyticsDialogTest, ALongCalculationStopsAtAMouseClickOnCancel) {
    // Over 200 characters of symbols: the progress window shows, modal, and
    // its Cancel answers the mouse although the dialog is modal too.
    std::vector<std::string> symbols;
    for (int i = 0; i < 30; ++i) {
        symbols.push_back("SECURITY" + std::to_string(100 + i));
        Add(symbols.back(), kLongAgo, kToday);
    }
    Select(symbols);
    DlgBreadth dialog(Context(), NoDownload());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    CancelProgressByMouseOnceShown();
    dialog.OnCalculate();
    EXPECT_THAT(prompt_.Texts(), ElementsAre("Calculation is cancelled"));
    EXPECT_TRUE(dialog.Calculated());  // the series are written from what was read
    EXPECT_FALSE(Closes("#UNCH").empty());
    EXPECT_TRUE(window_.isEnabled());
}

TEST_F(AnalyticsDialogTest, ASelectionOfCalculatedSeriesOnlyIsToldAndNothingIsWritten) {
    Add("#ADV", kLongAgo, kToday);
    Select({"#ADV"});
    DlgBreadth dialog(Context(), NoDownload());
    dialog.show();
    dialog.OnCalculate();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("starts with \"#\""), std::string::npos);
    EXPECT_FALSE(dialog.Calculated());
    EXPECT_THAT(ReadSymbols(dir_.Path()), ElementsAre("#ADV"));
    EXPECT_TRUE(Child<QPushButton>(dialog, "calculateButton").isEnabled());
}

class IndexDialogTest : public AnalyticsDialogTest {
protected:
    IndexServices Services(const std::string& quoteUrl) {
        return IndexServices{http_, quoteUrl, [this] { ++signals_; }, 1};
    }
    CurlHttpClient http_;
    int signals_ = 0;
};

TEST_F(IndexDialogTest, EachTypeAgainstTheQuoteService) {
    TempDir data;
    std::ofstream(data / "shares.csv") << "A,3000000\nB,1000000\n";
    GatewayProcess gateway(data.Path());
    Add(
        "A", 20061201, kToday, [](int) { return 10.0f; }, 300);
    Add(
        "B", 20061201, kToday, [](int) { return 20.0f; }, 100);
    Select({"A", "B"});
    struct Case {
        const char* radio;
        const char* symbol;
        float value;
    };
    const Case cases[] = {{"equalWeighted", "#EQ_INDEX", 15.0f},
                          {"capitalizationWeighted", "#CAP_INDEX", 0.75f * 10 + 0.25f * 20},
                          {"volumeWeighted", "#VOL_INDEX", 0.75f * 10 + 0.25f * 20}};
    for (const Case& c : cases) {
        Select({"A", "B"});
        DlgIndex dialog(Context(), Services(gateway.BaseUrl()));
        dialog.show();
        EXPECT_EQ(Text(dialog, "selectedCount"), QStringLiteral("Number of selected symbols: 2"));
        EXPECT_EQ(Text(dialog, "firstAvailable"),
                  QStringLiteral("First available date: 12/01/2006"));
        EXPECT_EQ(Text(dialog, "lastAvailable"), QStringLiteral("Last available date: 01/05/2007"));
        EXPECT_TRUE(Child<QRadioButton>(dialog, "equalWeighted").isChecked());
        QTest::mouseClick(&Child<QRadioButton>(dialog, c.radio), Qt::LeftButton);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);  // Calculate is the default
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.symbol;
        const std::vector<float> index = Closes(c.symbol);
        ASSERT_EQ(index.size(), 25u) << c.symbol;  // the weekdays after 1 December
        for (float value : index) EXPECT_THAT(value, FloatEq(c.value)) << c.symbol;
    }
    EXPECT_EQ(signals_, 3);
    EXPECT_EQ(reloads_, 3);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(IndexDialogTest, ACancelledIndexKeepsItsEarlierBars) {
    std::vector<std::string> symbols;
    for (int i = 0; i < 6; ++i) {
        symbols.push_back("S" + std::to_string(i));
        Add(symbols.back(), 20061201, kToday, [i](int) { return 10.0f * (i + 1); });
    }
    Select(symbols);
    {
        DlgIndex first(Context(), Services("http://127.0.0.1:9"));
        first.OnCalculate();
        ASSERT_EQ(first.Outcome(), IndexOutcome::Written);
    }
    const std::vector<float> before = Closes("#EQ_INDEX");
    ASSERT_FALSE(before.empty());

    Add("S6", 20061201, kToday, [](int) { return 1000.0f; });
    symbols.push_back("S6");
    Select(symbols);
    DlgIndex dialog(Context(), Services("http://127.0.0.1:9"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    CancelProgressByMouseOnceShown();
    dialog.OnCalculate();
    EXPECT_EQ(dialog.Outcome(), IndexOutcome::Cancelled);
    EXPECT_THAT(prompt_.Texts(), ElementsAre("Process is cancelled by the user."));
    EXPECT_EQ(Closes("#EQ_INDEX"), before);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(signals_, 2);
    EXPECT_TRUE(window_.isEnabled());
}

}  // namespace
}  // namespace corvane::test
