#include "DirectoryFiles.h"

#include <algorithm>
#include <system_error>

namespace corvane {
namespace {

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string AsciiUpper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return AsciiUpper(c); });
    return text;
}

std::string PriceFileName(std::uint32_t fileNumber, bool extended) {
    std::string name = "F";
    name += std::to_string(fileNumber);
    name += extended ? ".MWD" : ".DAT";
    return name;
}

std::filesystem::path FindFile(const std::filesystem::path& directory, const std::string& name) {
    const std::filesystem::path exact = directory / AsciiUpper(name);
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
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

}  // namespace corvane
