#include "TempDir.h"

#include <fstream>
#include <iterator>
#include <random>

namespace corvane::test {

TempDir::TempDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("corvane-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code error;
    // Tests make files read-only; give write permission back so removal works.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, error))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void CopyDirectory(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::create_directories(to);
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        const auto target = to / entry.path().filename();
        std::filesystem::copy_file(entry.path(), target,
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(
            target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
}

std::filesystem::path TestDataDir() {
    return CORVANE_TEST_DATA_DIR;
}

}  // namespace corvane::test
