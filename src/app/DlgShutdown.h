#pragma once

#include <QWidget>

#include "SheetServices.h"

class QCheckBox;

namespace corvane {

// The settings sheet's Shutdown page: closing to the tray, and ending the
// system after a download.
class DlgShutdown : public QWidget {
    Q_OBJECT

public:
    explicit DlgShutdown(SheetServices services, QWidget* parent = nullptr);

    // Copies the page into the settings and writes them.
    void Apply();

Q_SIGNALS:
    void Changed();

private:
    SheetServices services_;
    QCheckBox* shutMinimize_;
    QCheckBox* afterDownload_;
};

}  // namespace corvane
