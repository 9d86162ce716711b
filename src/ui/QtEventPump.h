#pragma once

#include <QCoreApplication>

#include "Progress.h"

namespace corvane {

// Lets the window repaint and take clicks between the units of a long run.
class QtEventPump : public EventPump {
public:
    bool PumpMessages() override {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return false;
    }
};

}  // namespace corvane
