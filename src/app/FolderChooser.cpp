#include "FolderChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace corvane {

QString ChooseFolder(QWidget* parent, const QString& title, const QString& start,
                     const QString& objectName) {
    QString folder = start.isEmpty() ? QDir::currentPath() : QDir::cleanPath(start);
    while (!QFileInfo(folder).isDir() && !QDir(folder).isRoot() && !folder.isEmpty())
        folder = QFileInfo(folder).path();
    QFileDialog chooser(parent, title, folder);
    chooser.setObjectName(objectName);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return QString();
    return chooser.selectedFiles().front();
}

}  // namespace corvane
