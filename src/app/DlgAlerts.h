#pragma once

#include <QWidget>

#include <string>

#include "SheetServices.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace corvane {

// The settings sheet's Alerts page: the download-complete signal with its
// sound file, and the three confirmations.
class DlgAlerts : public QWidget {
    Q_OBJECT

public:
    explicit DlgAlerts(SheetServices services, QWidget* parent = nullptr);

    // Copies the page into the settings and writes them.
    void Apply();
    const std::string& SoundPath() const { return soundPath_; }

Q_SIGNALS:
    void Changed();

private:
    void UpdateEnabling();
    void ShowSoundFile();
    void OnBrowse();
    std::filesystem::path MediaDirectory() const;

    SheetServices services_;
    QButtonGroup* sound_;
    QLineEdit* soundFile_;
    QPushButton* test_;
    QPushButton* browse_;
    QCheckBox* onShutdown_;
    QCheckBox* onDelete_;
    QCheckBox* onOverwrite_;
    std::string soundPath_;
};

}  // namespace corvane
