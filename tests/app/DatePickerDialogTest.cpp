#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "CurlHttpClient.h"
#include "DataDirBuilder.h"
#include "DlgBreadth.h"
#include "DlgDownloadHistQuotes.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "InMemorySettingsStore.h"
#include "QtEventPump.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "ServiceSettings.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

template <typename T>
T& Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no child ") + name);
    return *child;
}

// Runs `use` on the modal dialog once it shows.
void WhenModal(std::function<void(QDialog&)> use) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, use = std::move(use)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        timer->stop();
        timer->deleteLater();
        use(*dialog);
    });
    timer->start(20);
}

// A click into a widget of a modal dialog, through the window system.
void Click(QWidget& widget, QPoint at) {
    QTest::mouseClick(widget.window()->windowHandle(), Qt::LeftButton, {},
                      widget.mapTo(widget.window(), at));
}

// Clicks into the month of a date field and types a whole date over it.
void TypeDate(QDateEdit& picker, const char* date) {
    Click(picker, QPoint(8, picker.height() / 2));
    QTest::keyClicks(&picker, QString::fromLatin1(date));
}

// The date fields of the dialogs that take a period, opened modally as the
// main window opens them and typed into as a user types.
class DatePickerDialogTest : public ::testing::Test {
protected:
    DatePickerDialogTest() { fs::current_path(data_.parent_path()); }
    ~DatePickerDialogTest() override {
        std::error_code error;
        fs::current_path(startDirectory_, error);
    }

    QApplication& application_ = TestApplication();
    fs::path startDirectory_ = fs::current_path();
    TempDir dir_;
    fs::path data_ = dir_ / "quotes";
    RecordingPrompt prompt_;
    FixedClock clock_{LocalDateTime{2013, 11, 8, 12, 0, 0, 5}};
    CurlHttpClient http_;
    QtEventPump pump_;
    InMemorySettingsStore store_;
};

TEST_F(DatePickerDialogTest, TheDownloadRunsOverTheTypedPeriod) {
    GatewayProcess gateway(DemoDataDir(), {"--today", "20131108"});
    ASSERT_TRUE(gateway.Running());
    MakeDataDir(data_, {{"MSFT", "MICROSOFT", 0}});
    fs::current_path(data_);
    DlgDownloadHistQuotes dialog(
        DownloadContext{http_, prompt_, clock_, pump_, AllServicesAt(gateway.BaseUrl()),
                        dir_ / "report.txt", nullptr, nullptr},
        " MSFT");
    QDate shownStart, shownEnd;
    WhenModal([&](QDialog&) {
        TypeDate(Child<QDateEdit>(dialog, "startDate"), "06/03/2013");
        TypeDate(Child<QDateEdit>(dialog, "endDate"), "6/7/2013");
        shownStart = Child<QDateEdit>(dialog, "startDate").date();
        shownEnd = Child<QDateEdit>(dialog, "endDate").date();
        QPushButton& getQuotes = Child<QPushButton>(dialog, "getQuotes");
        Click(getQuotes, getQuotes.rect().center());
    });
    dialog.exec();
    EXPECT_EQ(shownStart.toString(Qt::ISODate), QStringLiteral("2013-06-03"));
    EXPECT_EQ(shownEnd.toString(Qt::ISODate), QStringLiteral("2013-06-07"));
    ASSERT_TRUE(dialog.Ran());
    const std::vector<PriceBar> bars = ReadBars(data_, "MSFT");
    ASSERT_FALSE(bars.empty());
    EXPECT_EQ(bars.front().date, 1130603);
    EXPECT_EQ(bars.back().date, 1130607);
}

TEST_F(DatePickerDialogTest, BreadthTakesATypedPeriodAndRefusesWhatIsNoDate) {
    MakeDataDir(data_, {{"MSFT", "MICROSOFT", 3}, {"AAPL", "APPLE", 3}});
    DlgBreadth dialog(AnalyticsContext{prompt_, clock_, pump_, store_, nullptr, data_,
                                       [] {
                                           return std::vector<SelectionRow>{
                                               {"MSFT", 20050103, 20050105},
                                               {"AAPL", 20050103, 20050105}};
                                       },
                                       [](const std::vector<std::string>&) {}, [] {}, nullptr},
                      [](const std::string&, std::int32_t, std::int32_t) {});
    std::int32_t typedFirst = 0, afterRefusal = 0;
    QString lastShown;
    WhenModal([&](QDialog&) {
        TypeDate(Child<QDateEdit>(dialog, "firstDate"), "01/03/2005");
        typedFirst = dialog.FirstDate();
        TypeDate(Child<QDateEdit>(dialog, "lastDate"), "02/29/2005");  // no such day
        afterRefusal = dialog.LastDate();
        lastShown = Child<QDateEdit>(dialog, "lastDate").text();
        QPushButton& close = Child<QPushButton>(dialog, "closeButton");
        Click(close, close.rect().center());
    });
    dialog.exec();
    EXPECT_EQ(typedFirst, 20050103);
    EXPECT_EQ(afterRefusal, 20131108);
    EXPECT_EQ(lastShown, QStringLiteral("11/08/2013"));
    EXPECT_TRUE(Child<QDateEdit>(dialog, "firstDate").calendarPopup());
}

}  // namespace
}  // namespace corvane::test
