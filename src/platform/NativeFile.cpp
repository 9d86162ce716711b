#include "NativeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "FileFaults.h"

namespace corvane {
namespace {

constexpr int kNotRegular = -1;  // a FIFO, a device: not an errno of its own

thread_local int lastError = 0;

bool Fail() {
    lastError = errno;
    return false;
}

bool Failed(int error) {
    lastError = error;
    return false;
}

}  // namespace

NativeFile::~NativeFile() {
    Close();
}

NativeFile::NativeFile(NativeFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool NativeFile::Open(const std::filesystem::path& path, Mode mode) {
    Close();
    if (mode != Mode::Read && !FileChangeAllowed(path)) return Fail();
    // O_NONBLOCK keeps the open itself from waiting on a FIFO with no writer.
    int flags = O_CLOEXEC | O_NONBLOCK;
    if (mode == Mode::Read) flags |= O_RDONLY;
    // Writes never go through a symbolic link to a file elsewhere.
    if (mode == Mode::Update) flags |= O_RDWR | O_NOFOLLOW;
    if (mode == Mode::CreateNew) flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
    if (mode == Mode::OwnFile) flags |= O_RDWR | O_CREAT | O_NOFOLLOW;
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return Fail();
    struct stat status {};
    int refusal = 0;
    if (::fstat(fd, &status) != 0)
        refusal = errno;
    else if (!S_ISREG(status.st_mode))
        refusal = S_ISDIR(status.st_mode) ? EISDIR : kNotRegular;
    if (refusal != 0) {
        ::close(fd);
        return Failed(refusal);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    path_ = path;
    return true;
}

void NativeFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
}

std::optional<std::uint64_t> NativeFile::Size() const {
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
        lastError = fd_ < 0 ? EBADF : errno;
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

std::size_t NativeFile::ReadSome(std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t got = 0;
    while (fd_ >= 0 && got < out.size()) {
        const ssize_t n =
            ::pread(fd_, out.data() + got, out.size() - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) lastError = errno;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool NativeFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (ReadSome(offset, out) == out.size()) return true;
    if (lastError == 0) lastError = EIO;
    return false;
}

bool NativeFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) return Failed(EBADF);
    if (!FileChangeAllowed(path_, bytes.size())) return Fail();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? Fail() : Failed(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool NativeFile::Truncate(std::uint64_t size) {
    if (fd_ < 0) return Failed(EBADF);
    if (!FileChangeAllowed(path_)) return Fail();
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 || Fail();
}

bool NativeFile::Sync() {
    if (fd_ < 0) return Failed(EBADF);
    if (!FileChangeAllowed(path_)) return Fail();
    return ::fsync(fd_) == 0 || Fail();
}

bool NativeFile::CopyPermissionsFrom(const std::filesystem::path& other) {
    struct stat status {};
    if (fd_ < 0 || ::stat(other.c_str(), &status) != 0) return true;  // nothing to copy
    if (!FileChangeAllowed(path_)) return Fail();
    return ::fchmod(fd_, status.st_mode & 07777) == 0 || Fail();
}

bool RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!FileChangeAllowed(to)) return Fail();
    return ::rename(from.c_str(), to.c_str()) == 0 || Fail();
}

bool RemoveFile(const std::filesystem::path& path) {
    if (!FileChangeAllowed(path)) return Fail();
    return ::unlink(path.c_str()) == 0 || errno == ENOENT || Fail();
}

bool SyncDirectory(const std::filesystem::path& directory) {
    if (!FileChangeAllowed(directory)) return Fail();
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Fail();
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot
    if (!synced) lastError = errno;
    ::close(fd);
    return synced;
}

bool MakeDirectories(const std::filesystem::path& directory) {
    std::error_code error;
    if (std::filesystem::is_directory(directory, error)) return true;
    if (!FileChangeAllowed(directory)) return Fail();
    std::filesystem::create_directories(directory, error);
    if (!error) return true;
    return Failed(error.value());
}

bool PathExists(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

bool IsRegularFile(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string LastFileError() {
    if (lastError == kNotRegular) return "not a regular file";
    return lastError == 0 ? std::string("unknown error") : std::string(std::strerror(lastError));
}

}  // namespace corvane
