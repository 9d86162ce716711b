#pragma once

#include <QWidget>

#include <string>

#include "SheetServices.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace corvane {

// The settings sheet's Startup page: the update check and its periodicity,
// starting minimised or at log-on, and the directory the explorer opens.
class DlgStartup : public QWidget {
    Q_OBJECT

public:
    explicit DlgStartup(SheetServices services, QWidget* parent = nullptr);

    // Copies the page into the settings, writes them and brings the
    // autostart entry in line; false, with a message, when the entry could
    // not be written.
    bool Apply();

Q_SIGNALS:
    void Changed();

private:
    void UpdateEnabling();
    void OnBrowse();

    SheetServices services_;
    QCheckBox* checkVersion_;
    QComboBox* periodicity_;
    QCheckBox* startMinimized_;
    QCheckBox* startWithWindows_;
    QButtonGroup* directoryChoice_;
    QLineEdit* directoryPath_;
    QPushButton* browse_;
    std::string path_;
};

}  // namespace corvane
