#include "DirectoryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <thread>
#include <utility>

namespace corvane {
namespace {

// flock(2) serves one open file description per folder in this process; the
// counts say which kind of lock it must carry.
struct Holders {
    int fd = -1;
    int readers = 0;
    bool writer = false;
};

using FolderKey = std::pair<std::uint64_t, std::uint64_t>;

std::map<FolderKey, Holders>& Table() {
    static std::map<FolderKey, Holders> table;
    return table;
}

bool TryFlock(int fd, bool exclusive) {
    return ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
}

// flock(2) converts a lock by dropping it first: when turning it exclusive
// fails, this process's readers would be left with none. They get their
// shared lock back, waiting for the other holder if they must.
bool TryUpgrade(int fd) {
    if (TryFlock(fd, true)) return true;
    (void)::flock(fd, LOCK_SH);
    return false;
}

template <typename Attempt>
bool WaitFor(std::chrono::milliseconds wait, Attempt attempt) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!attempt()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace

DirectoryLock::~DirectoryLock() {
    Release();
}

bool DirectoryLock::Acquire(const std::filesystem::path& directory, Kind kind,
                            std::chrono::milliseconds wait) {
    Release();
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        ::close(fd);
        return false;
    }
    const FolderKey key{status.st_dev, status.st_ino};
    const bool exclusive = kind == Kind::Exclusive;
    auto found = Table().find(key);
    if (found == Table().end()) {
        if (!WaitFor(wait, [&] { return TryFlock(fd, exclusive); })) {
            ::close(fd);
            return false;
        }
        found = Table().emplace(key, Holders{fd, 0, false}).first;
    } else {
        ::close(fd);
        Holders& holders = found->second;
        if (exclusive && holders.writer) return false;
        // Readers of this process alone: the lock turns exclusive for the writer.
        if (exclusive && !WaitFor(wait, [&] { return TryUpgrade(holders.fd); })) return false;
    }
    if (exclusive)
        found->second.writer = true;
    else
        ++found->second.readers;
    held_ = true;
    kind_ = kind;
    device_ = key.first;
    inode_ = key.second;
    return true;
}

void DirectoryLock::Release() {
    if (!held_) return;
    held_ = false;
    const auto found = Table().find({device_, inode_});
    if (found == Table().end()) return;
    Holders& holders = found->second;
    if (kind_ == Kind::Exclusive)
        holders.writer = false;
    else
        --holders.readers;
    if (!holders.writer && holders.readers == 0) {
        ::close(holders.fd);
        Table().erase(found);
    } else if (kind_ == Kind::Exclusive) {
        // Back to the readers' shared lock, waiting if another writer slipped in
        // while it was converted.
        (void)::flock(holders.fd, LOCK_SH);
    }
}

}  // namespace corvane
