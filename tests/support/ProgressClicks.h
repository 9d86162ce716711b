#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ProgressWnd.h"

namespace corvane::test {

// Clicks the progress window's Cancel with the mouse as soon as a run shows
// it, through the window system, where a modal dialog blocks the mouse of
// every window that is not its own: the way a user stops a long run.
inline void CancelProgressByMouseOnceShown() {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer] {
        for (QWidget* widget : QApplication::allWidgets()) {
            auto* window = qobject_cast<ProgressWnd*>(widget);
            if (!window || !window->isVisible()) continue;
            timer->stop();
            timer->deleteLater();
            QPushButton& cancel = window->CancelButton();
            QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                              cancel.mapTo(window, cancel.rect().center()));
            return;
        }
    });
    timer->start(0);
}

}  // namespace corvane::test
