#include "DlgShutdown.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace corvane {

DlgShutdown::DlgShutdown(SheetServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      shutMinimize_(new QCheckBox(QStringLiteral("Minimize to system tray"), this)),
      afterDownload_(new QCheckBox(QStringLiteral("Shut down after download"), this)) {
    setObjectName(QStringLiteral("dlgShutdown"));
    shutMinimize_->setObjectName(QStringLiteral("shutMinimize"));
    afterDownload_->setObjectName(QStringLiteral("afterDownload"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shutMinimize_);
    layout->addWidget(afterDownload_);
    layout->addStretch();
    shutMinimize_->setChecked(services_.settings.shutMinimize != 0);
    afterDownload_->setChecked(services_.settings.afterDownload != 0);
    for (QCheckBox* box : {shutMinimize_, afterDownload_})
        connect(box, &QCheckBox::toggled, this, &DlgShutdown::Changed);
}

void DlgShutdown::Apply() {
    services_.settings.shutMinimize = shutMinimize_->isChecked() ? 1 : 0;
    services_.settings.afterDownload = afterDownload_->isChecked() ? 1 : 0;
    SaveShutdownSettings(services_.store, services_.settings);
}

}  // namespace corvane
