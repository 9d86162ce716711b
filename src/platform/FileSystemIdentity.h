#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace corvane {

// The file system (device) a folder lies on, without following a final
// symbolic link; nothing when the folder cannot be looked at. A walk that
// must stay on one volume compares it with the volume root's.
std::optional<std::uint64_t> FileSystemOf(const std::filesystem::path& folder);

}  // namespace corvane
