#pragma once

#include <QString>

class QWidget;

namespace corvane {

// The folder chooser of the settings pages: file-system folders only,
// opening at `start` or, when that folder is gone, at the nearest folder
// above it that is there (a chooser opened at a missing folder offers its
// name as the choice and then refuses it). Empty when cancelled.
QString ChooseFolder(QWidget* parent, const QString& title, const QString& start,
                     const QString& objectName);

}  // namespace corvane
