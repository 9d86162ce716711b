#include "ShippedFiles.h"

#include <QCoreApplication>

namespace corvane {

std::filesystem::path ShippedDirectory() {
    const std::filesystem::path installed =
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / ".." /
        "share" / "corvane";
    std::error_code error;
    if (std::filesystem::is_directory(installed, error)) return installed.lexically_normal();
    return CORVANE_SOURCE_SHARE_DIR;
}

}  // namespace corvane
