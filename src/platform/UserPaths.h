#pragma once

#include <filesystem>

namespace corvane {

// The per-user folder for files the program writes (report.txt, lists):
// $XDG_DATA_HOME/Halbrook Labs/Corvane, by default ~/.local/share/...
std::filesystem::path UserDataDir();

}  // namespace corvane
