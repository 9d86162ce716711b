#include <gtest/gtest.h>

#include <optional>

#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include "DatePicker.h"
#include "QtTestApplication.h"

namespace corvane::test {
namespace {

// A picker behind a button in a shown window, reached as a user reaches it.
class DatePickerTest : public ::testing::Test {
protected:
    DatePickerTest() {
        auto* layout = new QVBoxLayout(&window_);
        layout->addWidget(button_);
        layout->addWidget(picker_);
        window_.show();
        window_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    enum class Reach { Tab, Click };
    void Focus(Reach reach) {
        button_->setFocus();
        if (reach == Reach::Tab) {
            QTest::keyClick(button_, Qt::Key_Tab);
        } else {
            // Into the month, through the window system.
            const QPoint month = picker_->mapTo(&window_, QPoint(8, picker_->height() / 2));
            QTest::mouseClick(window_.windowHandle(), Qt::LeftButton, {}, month);
        }
        ASSERT_TRUE(picker_->hasFocus());
    }

    QApplication& application_ = TestApplication();
    QWidget window_;
    QPushButton* button_ = new QPushButton(QStringLiteral("Other"), &window_);
    DatePicker* picker_ = new DatePicker(&window_);
};

TEST_F(DatePickerTest, ATypedDateReplacesTheWholeDateOrIsRefusedWithATip) {
    const QDate before(2013, 12, 1);
    struct Case {
        const char* typed;
        Reach reach;
        std::optional<Qt::Key> then;
        QDate expected;  // invalid: refused, the date stays
    };
    const Case cases[] = {
        {"11/01/2011", Reach::Tab, {}, QDate(2011, 11, 1)},
        {"11/01/2011", Reach::Click, {}, QDate(2011, 11, 1)},
        {"1/5/2011", Reach::Tab, {}, QDate(2011, 1, 5)},
        {"02/30/2011", Reach::Tab, {}, QDate()},
        {"13/01/2011", Reach::Click, {}, QDate()},
        {"1/5/20", Reach::Tab, Qt::Key_Tab, QDate()},  // the focus leaves an unfinished year
        {"2/5/20", Reach::Tab, Qt::Key_Return, QDate()},
        {"11012011", Reach::Click, Qt::Key_Tab, QDate()},
    };
    for (const Case& c : cases) {
        picker_->setDate(before);
        Focus(c.reach);
        QTest::keyClicks(picker_, QString::fromLatin1(c.typed));
        if (c.then) QTest::keyClick(QApplication::focusWidget(), *c.then);
        const QString shown = picker_->text();
        if (c.expected.isValid()) {
            EXPECT_EQ(picker_->date().toString(Qt::ISODate), c.expected.toString(Qt::ISODate))
                << c.typed;
            EXPECT_EQ(shown, c.expected.toString(QStringLiteral("MM/dd/yyyy"))) << c.typed;
            EXPECT_TRUE(picker_->Refusal().isEmpty()) << c.typed;
        } else {
            EXPECT_EQ(picker_->date().toString(Qt::ISODate), QStringLiteral("2013-12-01"))
                << c.typed;
            EXPECT_EQ(shown, QStringLiteral("12/01/2013")) << c.typed;
            EXPECT_TRUE(picker_->Refusal().startsWith(QString::fromLatin1(c.typed).left(10)))
                << c.typed << ": " << picker_->Refusal().toStdString();
            EXPECT_EQ(QToolTip::text(), picker_->Refusal()) << c.typed;
        }
    }
}

TEST_F(DatePickerTest, OneDateAfterAnotherAndEscapeGivesTheTypingUp) {
    picker_->setDate(QDate(2013, 12, 1));
    Focus(Reach::Tab);
    QTest::keyClicks(picker_, QStringLiteral("11/01/2011"));
    QTest::keyClicks(picker_, QStringLiteral("12/24/2012"));  // the taken date is selected
    EXPECT_EQ(picker_->date().toString(Qt::ISODate), QStringLiteral("2012-12-24"));
    QTest::keyClicks(picker_, QStringLiteral("3/3"));
    EXPECT_EQ(picker_->text(), QStringLiteral("3/3"));
    QTest::keyClick(picker_, Qt::Key_Escape);
    EXPECT_EQ(picker_->text(), QStringLiteral("12/24/2012"));
    EXPECT_TRUE(picker_->Refusal().isEmpty());
    EXPECT_TRUE(picker_->calendarPopup());
}

}  // namespace
}  // namespace corvane::test
