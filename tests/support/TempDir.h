#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane::test {

// A fresh folder under the system temp directory, removed with everything
// in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
// Copies every file of a folder into another (created when missing).
void CopyDirectory(const std::filesystem::path& from, const std::filesystem::path& to);
// The folder of shipped test fixtures (tests/data).
std::filesystem::path TestDataDir();

}  // namespace corvane::test
