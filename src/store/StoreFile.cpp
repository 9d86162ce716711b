#include "StoreFile.h"

#include <cstring>
#include <system_error>

namespace corvane {
namespace {

constexpr std::size_t kReadBlock = 128 * 1024;

const char* ModeString(StoreFile::Mode mode) {
    switch (mode) {
        case StoreFile::Mode::Read:
            return "rb";
        case StoreFile::Mode::Update:
            return "r+b";
        case StoreFile::Mode::Create:
            return "w+b";
    }
    return "rb";
}

bool SeekTo(std::FILE* file, std::uint64_t offset) {
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

}  // namespace

StoreFile::~StoreFile() {
    Close();
}

bool StoreFile::Open(const std::filesystem::path& path, Mode mode) {
    Close();
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return false;
    file_ = std::fopen(path.c_str(), ModeString(mode));
    if (file_ == nullptr) return false;
    path_ = path;
    return true;
}

bool StoreFile::Close() {
    if (file_ == nullptr) return true;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    DropReadBuffer();
    return closed;
}

std::uint64_t StoreFile::Size() {
    if (file_ == nullptr || std::fseek(file_, 0, SEEK_END) != 0) return 0;
    const long end = std::ftell(file_);
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

bool StoreFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    DropReadBuffer();
    if (file_ == nullptr || !SeekTo(file_, offset)) return false;
    return std::fread(out.data(), 1, out.size(), file_) == out.size();
}

bool StoreFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    DropReadBuffer();
    if (file_ == nullptr || !SeekTo(file_, offset)) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    return std::fflush(file_) == 0 && written;
}

bool StoreFile::Truncate(std::uint64_t size) {
    DropReadBuffer();
    if (file_ == nullptr || std::fflush(file_) != 0) return false;
    std::error_code error;
    std::filesystem::resize_file(path_, size, error);
    return !error;
}

void StoreFile::Seek(std::uint64_t offset) {
    DropReadBuffer();
    nextOffset_ = offset;
}

bool StoreFile::Refill(std::size_t needed) {
    if (file_ == nullptr || needed > kReadBlock) return false;
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kReadBlock);
    const std::size_t left = bufferEnd_ - bufferPos_;
    if (left > 0) std::memmove(buffer_.get(), buffer_.get() + bufferPos_, left);
    std::size_t got = 0;
    if (SeekTo(file_, nextOffset_))
        got = std::fread(buffer_.get() + left, 1, kReadBlock - left, file_);
    nextOffset_ += got;
    bufferPos_ = 0;
    bufferEnd_ = left + got;
    return bufferEnd_ >= needed;
}

void StoreFile::DropReadBuffer() {
    nextOffset_ -= bufferEnd_ - bufferPos_;
    bufferPos_ = bufferEnd_ = 0;
}

}  // namespace corvane
