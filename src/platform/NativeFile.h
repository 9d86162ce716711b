#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace corvane {

// One open file, unbuffered, read and written at explicit offsets. Every
// operation says whether it completed; a failure leaves its reason for
// LastFileError(). Files that are not regular files (a FIFO, a device, a
// folder) are refused at once instead of being waited on.
class NativeFile {
public:
    enum class Mode {
        Read,
        Update,     // an existing file, read and written; never through a symbolic link
        CreateNew,  // a file that must not exist yet; never follows a symbolic link
        OwnFile,    // a file of our own, opened or created; never through a symbolic link
    };

    NativeFile() = default;
    ~NativeFile();
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;
    NativeFile(NativeFile&& other) noexcept;
    NativeFile& operator=(NativeFile&& other) noexcept;

    [[nodiscard]] bool Open(const std::filesystem::path& path, Mode mode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    std::optional<std::uint64_t> Size() const;
    // Reads up to out.size() bytes; the count read, 0 at the end or on an error.
    std::size_t ReadSome(std::uint64_t offset, std::span<std::uint8_t> out);
    [[nodiscard]] bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
    [[nodiscard]] bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    [[nodiscard]] bool Truncate(std::uint64_t size);
    // Puts the file's content on the disk before anything that depends on it.
    [[nodiscard]] bool Sync();
    // Gives the file the permission bits of another one.
    [[nodiscard]] bool CopyPermissionsFrom(const std::filesystem::path& other);

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

// Directory-level operations, each reporting whether it completed.
// Replaces `to` by `from` in one step: a reader sees one or the other.
[[nodiscard]] bool RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);
// True when the file is gone afterwards (a file that was not there counts).
[[nodiscard]] bool RemoveFile(const std::filesystem::path& path);
// Makes renames, creations and removals in the folder survive a power cut.
[[nodiscard]] bool SyncDirectory(const std::filesystem::path& directory);
[[nodiscard]] bool MakeDirectories(const std::filesystem::path& directory);
// A name that exists in any form, a dangling symbolic link included.
bool PathExists(const std::filesystem::path& path);
bool IsRegularFile(const std::filesystem::path& path);

// Why the last failed file operation of this thread failed ("No space left on device").
std::string LastFileError();

}  // namespace corvane
