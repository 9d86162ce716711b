#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr const char* kMasterName = "MASTER";
inline constexpr const char* kEmasterName = "EMASTER";
inline constexpr const char* kXmasterName = "XMASTER";

// "F<n>.DAT" for a low entry, "F<n>.MWD" for an extended one.
std::string PriceFileName(std::uint32_t fileNumber, bool extended);

// The path of the file called `name` in `directory`, matched without regard
// to case (other programs write "Master" or "f1.dat"). When no such file
// exists the path names it in upper case, the way the store creates files.
std::filesystem::path FindFile(const std::filesystem::path& directory, const std::string& name);

// Whether a file of that name exists in `directory` in any case of its
// letters. A name of few letters has each spelling looked for, so that the
// answer for a name that is not there costs no listing of the folder.
bool ExistsInAnyCase(const std::filesystem::path& directory, const std::string& name);

// The file's own name, without its folder.
inline std::string NameOf(const std::filesystem::path& path) {
    return path.filename().string();
}

// The text with its Latin-1 letters in upper case, as symbols and names are
// stored; other bytes stay.
std::string UpperCase(std::string text);
char UpperCase(char c);

// Comparison of two byte strings without regard to the case of their Latin-1 letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace corvane
