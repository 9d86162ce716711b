#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "InMemorySettingsStore.h"
#include "ProgressWnd.h"
#include "QtTestApplication.h"

namespace corvane::test {
namespace {

class ProgressWndTest : public ::testing::Test {
protected:
    ProgressWndTest() {
        mainWindow_.resize(400, 300);
        mainWindow_.show();
    }

    QApplication& application_ = TestApplication();
    InMemorySettingsStore settings_;
    QWidget mainWindow_;
};

TEST_F(ProgressWndTest, TitleShowsThePercentageOnlyWhenItChanges) {
    ProgressWnd window(settings_, &mainWindow_);
    ASSERT_TRUE(window.OpenProgressWindow(nullptr, QStringLiteral("Adding securities ..."), true));
    window.SetBounds(0, 250, 1);
    window.SetPosition(1);  // 0 %: no percentage yet
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Adding securities ..."));
    window.SetPosition(125);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Adding securities ... [50%]"));
    window.setWindowTitle(QStringLiteral("marker"));
    EXPECT_EQ(window.SetPosition(126), 125);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("marker"));

    window.SetBounds(5, 5, 1);
    window.SetPosition(3);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Adding securities ... [0%]"));
}

TEST_F(ProgressWndTest, OperationsOnAWindowNotOpenDoNothing) {
    ProgressWnd window(settings_, &mainWindow_);
    window.SetBounds(0, 10, 1);
    EXPECT_EQ(window.SetPosition(5), 0);
    EXPECT_EQ(window.Advance(), 0);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ProgressWndTest, ModalWindowDisablesTheMainWindowUntilClosed) {
    {
        ProgressWnd window(settings_, &mainWindow_);
        window.MakeModal(QStringLiteral("Work"), false);
        EXPECT_FALSE(mainWindow_.isEnabled());
        QTest::mouseClick(&window.CancelButton(), Qt::LeftButton);
        EXPECT_TRUE(window.IsCancelled());
        EXPECT_TRUE(mainWindow_.isEnabled());
        EXPECT_FALSE(window.IsOpen());
    }
    mainWindow_.setEnabled(false);  // someone else's doing
    ProgressWnd plain(settings_, &mainWindow_);
    plain.OpenProgressWindow(nullptr, QStringLiteral("Work"), true);
    plain.CloseProgressWindow();
    EXPECT_FALSE(mainWindow_.isEnabled());
}

TEST_F(ProgressWndTest, EscapeCancelsOnlyWhenThePumpIsAskedToHonourIt) {
    ProgressWnd window(settings_, &mainWindow_);
    window.OpenProgressWindow(nullptr, QStringLiteral("Work"), true);
    auto escape = [] { return new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier); };
    QCoreApplication::postEvent(&window, escape());
    window.PumpPendingMessages(false);
    EXPECT_FALSE(window.IsCancelled());

    QCoreApplication::postEvent(&window, escape());
    window.PumpPendingMessages(true);
    EXPECT_TRUE(window.IsCancelled());
    EXPECT_FALSE(window.isVisible());
    window.ResetProgress();
    EXPECT_FALSE(window.IsCancelled());
}

TEST_F(ProgressWndTest, PositionIsSavedAndAnOffScreenOneIsCentred) {
    {
        ProgressWnd window(settings_, &mainWindow_);
        window.OpenProgressWindow(nullptr, QStringLiteral("Work"), true);
        window.move(40, 30);
        window.CloseProgressWindow();
    }
    EXPECT_EQ(settings_.ReadInt("Settings", "X", -1), 40);
    EXPECT_EQ(settings_.ReadInt("Settings", "Y", -1), 30);
    {
        ProgressWnd window(settings_, &mainWindow_);
        window.OpenProgressWindow(nullptr, QStringLiteral("Work"), true);
        EXPECT_EQ(window.pos(), QPoint(40, 30));
    }
    const QSize screen = QGuiApplication::primaryScreen()->size();
    settings_.WriteInt("Settings", "X", screen.width() + 100);
    ProgressWnd window(settings_, &mainWindow_);
    window.OpenProgressWindow(nullptr, QStringLiteral("Work"), true);
    const QPoint centre = window.frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - mainWindow_.frameGeometry().center().x()), 2);
}

TEST_F(ProgressWndTest, LongMessagesAreCutAndTheCoreDrivesTheWindow) {
    ProgressWnd window(settings_, &mainWindow_);
    window.OpenProgressWindow(nullptr, QStringLiteral("Work"), true);
    window.SetMessage(QString(600, u'x'));
    EXPECT_EQ(window.MessageLabel().text().size(), 511);
    Progress& progress = window.AsProgress();
    progress.SetRange(4);
    progress.SetPosition(2);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Work [50%]"));
    progress.SetText("IBM");
    EXPECT_EQ(window.MessageLabel().text(), QStringLiteral("IBM"));
    EXPECT_FALSE(progress.IsCancelled());
}

}  // namespace
}  // namespace corvane::test
