#include "StoreFile.h"

namespace corvane {
namespace {

constexpr std::size_t kReadBlock = 128 * 1024;

}  // namespace

bool StoreFile::Open(const std::filesystem::path& path, Mode mode) {
    Close();
    if (!file_.Open(path, mode)) return false;
    path_ = path;
    return true;
}

void StoreFile::Close() {
    file_.Close();
    DropReadBuffer();
    nextOffset_ = 0;
}

bool StoreFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    DropReadBuffer();
    return file_.ReadAt(offset, out);
}

bool StoreFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    DropReadBuffer();
    return file_.WriteAt(offset, bytes);
}

bool StoreFile::Truncate(std::uint64_t size) {
    DropReadBuffer();
    return file_.Truncate(size);
}

void StoreFile::Seek(std::uint64_t offset) {
    DropReadBuffer();
    nextOffset_ = offset;
}

bool StoreFile::Refill(std::size_t needed) {
    if (!file_.IsOpen() || needed > kReadBlock) return false;
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(kReadBlock);
    const std::size_t left = bufferEnd_ - bufferPos_;
    if (left > 0) std::memmove(buffer_.get(), buffer_.get() + bufferPos_, left);
    const std::size_t got =
        file_.ReadSome(nextOffset_, std::span(buffer_.get() + left, kReadBlock - left));
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
