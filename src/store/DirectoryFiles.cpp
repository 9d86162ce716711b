#include "DirectoryFiles.h"

#include <algorithm>
#include <system_error>

namespace corvane {
namespace {

// The store's texts are Latin-1: its small letters a-z and 0xE0-0xFE (but
// the division sign 0xF7) have their capital 32 below. Sharp s and y with
// diaeresis have no single-byte capital and stay as they are.
char UpperCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    const bool small =
        (byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7);
    return small ? static_cast<char>(byte - 32) : c;
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

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return UpperCase(x) == UpperCase(y);
           });
}

}  // namespace corvane
