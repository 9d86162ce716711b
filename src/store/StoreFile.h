#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>

namespace corvane {

// One open file of a data directory, closed on destruction. Reads and writes
// at explicit offsets; every write is flushed so that a full disk or a short
// write shows up as a failed call rather than later, unseen. ReadNext serves
// sequential reads from a block buffer, which keeps bar-by-bar reading cheap.
class StoreFile {
public:
    enum class Mode { Read, Update, Create };

    StoreFile() = default;
    ~StoreFile();
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;

    [[nodiscard]] bool Open(const std::filesystem::path& path, Mode mode);
    // Returns false when a buffered write could not be completed.
    bool Close();
    bool IsOpen() const { return file_ != nullptr; }
    const std::filesystem::path& Path() const { return path_; }

    std::uint64_t Size();
    [[nodiscard]] bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
    [[nodiscard]] bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    [[nodiscard]] bool Truncate(std::uint64_t size);

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

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    // Left uninitialised: zero-filling a block per refill costs more than the read.
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
    std::uint64_t nextOffset_ = 0;  // file offset just past buffer_
};

}  // namespace corvane
