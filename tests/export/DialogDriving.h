#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace corvane::test {

template <typename T>
T& Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no child ") + name);
    return *child;
}

// Where a person clicks a button: on the box or the dot of a check box or
// radio button (whose widget may be wider than its label), in the middle of
// anything else.
inline QPoint ClickPoint(QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    if (qobject_cast<QCheckBox*>(&button))
        return button.style()
            ->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &button)
            .center();
    if (qobject_cast<QRadioButton*>(&button))
        return button.style()
            ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, &button)
            .center();
    return button.rect().center();
}

inline void Click(QAbstractButton& button) {
    QTest::mouseClick(&button, Qt::LeftButton, {}, ClickPoint(button));
}

template <typename Button = QAbstractButton>
void Click(QWidget& parent, const char* name) {
    Click(Child<Button>(parent, name));
}

// Runs `check` on the next modal dialog of that type once it shows. A
// dialog that `check` leaves open is a failure and is closed, so a broken
// test does not hang in exec().
template <typename Dialog>
QPointer<QTimer> WhenModal(std::function<void(Dialog&)> check) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, check = std::move(check)] {
        auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 500) return;
        timer->stop();
        timer->deleteLater();
        if (!dialog) return;
        check(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "dialog left open";
            dialog->reject();
        }
    });
    timer->start(10);
    return timer;
}

// Runs `check` on the modal dialog that `open` shows; fails when none shows.
template <typename Dialog>
void WithModal(const std::function<void()>& open, std::function<void(Dialog&)> check) {
    bool seen = false;
    QPointer<QTimer> waiting = WhenModal<Dialog>([&seen, check = std::move(check)](Dialog& dialog) {
        seen = true;
        check(dialog);
    });
    open();
    EXPECT_TRUE(seen);
    delete waiting.data();  // still waiting when no dialog showed
}

}  // namespace corvane::test
