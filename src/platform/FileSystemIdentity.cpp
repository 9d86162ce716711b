#include "FileSystemIdentity.h"

#include <sys/stat.h>

namespace corvane {

std::optional<std::uint64_t> FileSystemOf(const std::filesystem::path& folder) {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(status.st_dev);
}

}  // namespace corvane
