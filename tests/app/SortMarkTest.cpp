#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "CRightListView.h"
#include "DataDirBuilder.h"
#include "DlgList.h"
#include "DlgReport.h"
#include "FixedClock.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

enum class Mark { None, Up, Down };

std::string NameOf(Mark mark) {
    return mark == Mark::Up ? "up" : mark == Mark::Down ? "down" : "none";
}

// Which way the sort mark of a header section points, read from what the
// header draws: the pixels the mark changes, widest at the arrow's base.
Mark DrawnMark(QHeaderView& header, int column) {
    const QRect section(header.sectionViewportPosition(column), 0, header.sectionSize(column),
                        header.height());
    const bool shown = header.isSortIndicatorShown();
    const QImage with = header.viewport()->grab(section).toImage();
    header.setSortIndicatorShown(false);
    const QImage without = header.viewport()->grab(section).toImage();
    header.setSortIndicatorShown(shown);
    std::vector<int> changed;  // per row of pixels
    for (int y = 0; y < with.height(); ++y) {
        int count = 0;
        for (int x = 0; x < with.width(); ++x) {
            const QColor a = with.pixelColor(x, y), b = without.pixelColor(x, y);
            count += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                         std::abs(a.blue() - b.blue()) >
                     90;
        }
        if (count > 0 || !changed.empty()) changed.push_back(count);
    }
    while (!changed.empty() && changed.back() == 0) changed.pop_back();
    if (changed.size() < 2 || changed.front() == changed.back()) return Mark::None;
    return changed.front() < changed.back() ? Mark::Up : Mark::Down;
}

void ClickHeader(QHeaderView& header, int column) {
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(column) + 5, header.height() / 2));
}

// Every view that sorts on a header click, over a little of its own data.
class SortMarkTest : public ::testing::Test {
protected:
    ~SortMarkTest() override {
        std::error_code error;
        fs::current_path(startDirectory_, error);
    }

    // The security list of a directory, or the bars of its first security.
    QHeaderView& ListHeader(bool prices) {
        if (!fs::exists(dir_ / "data"))
            MakeDataDir(dir_ / "data", {{"MSFT", "MICROSOFT", 3}, {"AAPL", "APPLE", 2}});
        fs::current_path(dir_ / "data");
        auto list = std::make_unique<CRightListView>(doc_, settings_);
        list->InitialUpdate();
        if (prices) {
            list->SelectSymbols({"MSFT"});
            list->ShowPrices();
        }
        QHeaderView& header = *list->DetailsView().header();
        Show(std::move(list));
        return header;
    }
    QHeaderView& ReportHeader() {
        std::ofstream(dir_ / "report.txt") << "3/15/2005\nIBM,-1\nMSFT,0\nORCL,25\n";
        auto report = std::make_unique<DlgReport>(dir_ / "report.txt");
        QHeaderView& header = *report->Rows().header();
        Show(std::move(report));
        return header;
    }
    QHeaderView& ListsHeader() {
        std::ofstream(dir_ / "mine.sym") << "IBM\r\nMicrosoft,MSFT\r\nApple,AAPL\r\n";
        auto lists = std::make_unique<DlgList>(prompt_, dir_ / "none.dta",
                                               std::vector<fs::path>{dir_ / "mine.sym"}, nullptr);
        lists->TypeList().setCurrentIndex(lists->TypeList().count() - 1);
        QHeaderView& header = *lists->Entries().header();
        Show(std::move(lists));
        return header;
    }
    void Show(std::unique_ptr<QWidget> widget) {
        widget->resize(500, 400);
        widget->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
        shown_ = std::move(widget);
    }

    QApplication& application_ = TestApplication();
    fs::path startDirectory_ = fs::current_path();
    TempDir dir_;
    RecordingPrompt prompt_;
    FixedClock clock_;
    CCorvaneDoc doc_{prompt_, clock_};
    AppSettings settings_;
    std::unique_ptr<QWidget> shown_;
};

TEST_F(SortMarkTest, AscendingPointsUpAndDescendingDown) {
    const std::pair<const char*, std::function<QHeaderView&()>> views[] = {
        {"security list", [this]() -> QHeaderView& { return ListHeader(false); }},
        {"price view", [this]() -> QHeaderView& { return ListHeader(true); }},
        {"report", [this]() -> QHeaderView& { return ReportHeader(); }},
        {"lists", [this]() -> QHeaderView& { return ListsHeader(); }}};
    for (const auto& [name, open] : views) {
        QHeaderView& header = open();
        EXPECT_EQ(NameOf(DrawnMark(header, 1)), NameOf(Mark::None)) << name;
        ClickHeader(header, 1);
        EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder) << name;
        EXPECT_EQ(NameOf(DrawnMark(header, 1)), NameOf(Mark::Up)) << name;
        ClickHeader(header, 1);
        EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder) << name;
        EXPECT_EQ(NameOf(DrawnMark(header, 1)), NameOf(Mark::Down)) << name;
        shown_.reset();
    }
}

}  // namespace
}  // namespace corvane::test
