#pragma once

#include <QApplication>
#include <QString>

#include <ostream>

namespace corvane::test {

// The one QApplication of a widget test process, on the offscreen platform
// the test main selects. It is never destroyed: destroying it among the
// static objects at exit runs after Qt's own have gone.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "corvane-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return *application;
}

}  // namespace corvane::test

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
