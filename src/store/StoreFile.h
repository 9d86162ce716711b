#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>

#include "NativeFile.h"

namespace corvane {

// One open file of a data directory, closed on destruction. Reads and writes
// at explicit offsets, unbuffered, so a full disk or a short write shows up as
// a failed call. ReadNext serves sequential reads from a block buffer, which
// keeps bar-by-bar reading cheap.
class StoreFile {
public:
    using Mode = NativeFile::Mode;

    [[nodiscard]] bool Open(const std::filesystem::path& path, Mode mode);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }
    const std::filesystem::path& Path() const { return path_; }

    std::uint64_t Size() { return file_.Size().value_or(0); }
    [[nodiscard]] bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
    [[nodiscard]] bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    [[nodiscard]] bool Truncate(std::uint64_t size);
    [[nodiscard]] bool Sync() { return file_.Sync(); }
    [[nodiscard]] bool CopyPermissionsFrom(const std::filesystem::path& other) {
        return file_.CopyPermissionsFrom(other);
    }

    // Sequential reading from the position set by Seek.
    void Seek(std::uint64_t offset);
    [[nodiscard]] bool ReadNext(std::span<std::uint8_t> out) {
        if (bufferEnd_ - bufferPos_ < out.size() && !Refill(out.size())) return false;
        std::memcpy(out.data(), buffer_.get() + bufferPos_, out.size());
        bufferPos_ += out.size();
        return true;
    }

private:
    // Keeps the unread tail and tops the buffer up; false when fewer than
    // `needed` bytes are left in the file.
    bool Refill(std::size_t needed);
    void DropReadBuffer();

    NativeFile file_;
    std::filesystem::path path_;
    // Left uninitialised: zero-filling a block per refill costs more than the read.
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
    std::uint64_t nextOffset_ = 0;  // file offset just past buffer_
};

}  // namespace corvane
