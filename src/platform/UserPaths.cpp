#include "UserPaths.h"

#include <cstdlib>

namespace corvane {

std::filesystem::path UserDataDir() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] != '\0') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr) {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    return base / "Halbrook Labs" / "Corvane";
}

}  // namespace corvane
