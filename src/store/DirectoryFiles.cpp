#include "DirectoryFiles.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "NativeFile.h"

namespace corvane {
// The store's texts are Latin-1: its small letters a-z and 0xE0-0xFE (but
// the division sign 0xF7) have their capital 32 below. Sharp s and y with
// diaeresis have no single-byte capital and stay as they are.
char UpperCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    const bool small =
        (byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7);
    return small ? static_cast<char>(byte - 32) : c;
}

namespace {

// The small letter of a Latin-1 capital; any other character as it is.
char LowerCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    const bool capital =
        (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7);
    return capital ? static_cast<char>(byte + 32) : c;
}

}  // namespace

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return UpperCase(c); });
    return text;
}

std::string PriceFileName(std::uint32_t fileNumber, bool extended) {
    std::string name = "F";
    name += std::to_string(fileNumber);
    name += extended ? ".MWD" : ".DAT";
    return name;
}

std::filesystem::path FindFile(const std::filesystem::path& directory, const std::string& name) {
    const std::filesystem::path exact = directory / UpperCase(name);
    std::error_code error;
    if (std::filesystem::exists(exact, error)) return exact;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (EqualsNoCase(candidate, name)) return it->path();
    }
    return exact;
}

bool ExistsInAnyCase(const std::filesystem::path& directory, const std::string& name) {
    // Positions whose letter has a small and a capital form.
    const std::string capitals = UpperCase(name);
    std::vector<std::size_t> letters;
    for (std::size_t i = 0; i < capitals.size(); ++i)
        if (LowerCase(capitals[i]) != capitals[i]) letters.push_back(i);
    if (letters.size() > 6) return PathExists(FindFile(directory, name));
    std::string spelling = capitals;
    for (std::uint32_t smalls = 0; smalls < (1u << letters.size()); ++smalls) {
        for (std::size_t k = 0; k < letters.size(); ++k) {
            const char capital = capitals[letters[k]];
            spelling[letters[k]] = (smalls >> k & 1) != 0 ? LowerCase(capital) : capital;
        }
        if (PathExists(directory / spelling)) return true;
    }
    return false;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return UpperCase(x) == UpperCase(y);
           });
}

}  // namespace corvane
