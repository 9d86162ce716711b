#pragma once

#include <QApplication>

namespace corvane::test {

// The one QApplication of a widget test process, on the offscreen platform
// the test main selects.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "corvane-tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return application;
}

}  // namespace corvane::test
