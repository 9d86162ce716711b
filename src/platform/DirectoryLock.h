#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace corvane {

// An advisory lock on a folder, held through flock(2) on the folder itself so
// that other programs can take part: exclusive for a writer, shared for
// readers. It dies with the process. Within one process the locks of a folder
// are counted: readers share, a second writer is refused, and a reader does
// not keep this process's own writer out.
class DirectoryLock {
public:
    enum class Kind { Shared, Exclusive };

    DirectoryLock() = default;
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    // False when the lock could not be had within `wait` (another holder, or
    // a folder that cannot be opened).
    [[nodiscard]] bool Acquire(const std::filesystem::path& directory, Kind kind,
                               std::chrono::milliseconds wait);
    void Release();
    bool Held() const { return held_; }

private:
    bool held_ = false;
    Kind kind_ = Kind::Shared;
    std::uint64_t device_ = 0;  // the folder, by device and inode, so two spellings meet
    std::uint64_t inode_ = 0;
};

}  // namespace corvane
