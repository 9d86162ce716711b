#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "BatchTable.h"
#include "Prompt.h"

namespace corvane {

// What a scan shows while it walks the volumes, and whether the user has
// stopped it.
class ScanDisplay {
public:
    virtual ~ScanDisplay() = default;
    // A new volume: the window's title and the bar's range 0 .. upper.
    virtual void StartRoot(const std::string& title, int upper) = 0;
    virtual void ShowFolder(const std::string& text) = 0;
    virtual void Advance(int amount) = 0;
    // Lets pending input through (Escape and Cancel stop the scan).
    virtual bool Cancelled() = 0;
    // The short rest at every folder, so the window stays responsive.
    virtual void Pause() = 0;
};

// A volume to scan: its mount point and the bytes used on it (0 unknown).
struct ScanRoot {
    std::filesystem::path path;
    std::uint64_t usedBytes = 0;
};

enum class ScanEnd { Completed, Cancelled };

// Fills the table from slot 0 with the data directories found under the
// roots, parents before the directories nested in them, the first twenty
// only. A scan stays on each root's own volume, never follows a symbolic
// link and skips folders named "Windows" and "Temp", the pseudo file
// systems, and any folder it cannot read.
ScanEnd ScanDrives(const std::vector<ScanRoot>& roots, BatchTable& table, ScanDisplay& display,
                   Prompt& prompt);

// A folder as the progress window shows it: its first level, "...", its
// own name ("/home/user/data/stocks" as "/home/.../stocks").
std::string AbbreviatedFolder(std::string folder);
// "Full path: " and the path in lines of at most 40 characters, broken
// after a space or a separator where one fits; five lines at most.
std::string FullPathInfo(const std::string& path);
// "Symbols: " and the symbols, cut back to a space within 80 characters
// and followed by "..." when longer.
std::string SymbolsInfo(const std::string& symbols);

}  // namespace corvane
