#pragma once

#include <filesystem>

namespace corvane {

// The folder of the read-only files shipped with the program (help, sounds,
// the symbol database): share/corvane beside an installed executable, else
// the share folder of the source tree the program was built from.
std::filesystem::path ShippedDirectory();

}  // namespace corvane
