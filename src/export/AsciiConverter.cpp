#include "AsciiConverter.h"

#include <charconv>
#include <cmath>

#include "Coding.h"
#include "StoreReader.h"

namespace corvane {
namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* SeparatorText(int separator) {
    switch (separator) {
        case 0:
            return " ";
        case 1:
            return ",";
        case 2:
            return "//";
        case 3:
            return "\t";
        default:
            return "";
    }
}

// "%.2f" without the C library's locale: the app's locale must not turn the
// decimal point into a comma inside comma-separated files.
std::string Fixed2(double value) {
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return error == std::errc() ? std::string(text, end) : "0.00";
}

// A number of at least `width` digits with leading zeros.
std::string Digits(int value, int width) {
    std::string text = std::to_string(value < 0 ? -value : value);
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
    return text;
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The base name of a single-file run.
std::string SingleFileName(const ConversionOptions& options) {
    const std::string name = Trim(options.fileName);
    return name.empty() ? kDefaultSingleFileName : name;
}

// Creating a file is the one portable test of whether a folder takes new
// files: permission bits say nothing of read-only mounts, ACLs or root.
bool TakesNewFiles(const std::filesystem::path& directory) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto probe = directory / (".corvane-probe-" + std::to_string(attempt));
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(probe, error))) continue;
        // "x": never over an existing file or through a link left in its place.
        std::FILE* file = std::fopen(probe.c_str(), "wx");
        if (file == nullptr) return false;
        std::fclose(file);
        std::filesystem::remove(probe, error);
        return true;
    }
    return false;
}

}  // namespace

std::string FormatBarDate(std::int32_t date, int dateFormat) {
    const std::int32_t full = ToLongDate(date);
    const std::string Y = Digits(full / 10000, 4), M = Digits(full / 100 % 100, 2),
                      D = Digits(full % 100, 2), y = Digits(full / 10000 % 100, 2);
    switch (dateFormat) {
        case 0:
            return M + "/" + D + "/" + Y;
        case 1:
            return D + "/" + M + "/" + Y;
        case 2:
            return M + "/" + D + "/" + y;
        case 3:
            return D + "/" + M + "/" + y;
        case 5:
            return Y + D + M;
        case 6:
            return Y + "/" + M + "/" + D;
        case 7:
            return Y + "/" + D + "/" + M;
        case 8: {
            const int month = full / 100 % 100;
            return D + "-" + (month >= 1 && month <= 12 ? kMonths[month - 1] : M) + "-" + y;
        }
        default:
            return Y + M + D;
    }
}

std::string FormatBarLine(const PriceBar& bar, const std::string& symbol, char periodicity,
                          const ConversionOptions& options) {
    const std::string separator = SeparatorText(options.separator);
    std::string line;
    auto field = [&](const std::string& text) { line += text + separator; };
    if (options.symbol) field(symbol);
    if (options.periodicity) field(periodicity == 'D' ? "D" : periodicity == 'W' ? "W" : "M");
    if (options.date) field(FormatBarDate(bar.date, options.dateFormat));
    // Prices are written without their sign; volume and open interest keep it.
    if (options.open) field(Fixed2(std::fabs(bar.open)));
    if (options.high) field(Fixed2(std::fabs(bar.high)));
    if (options.low) field(Fixed2(std::fabs(bar.low)));
    if (options.close) field(Fixed2(std::fabs(bar.close)));
    if (options.volume) field(Fixed2(bar.volume));
    if (options.openInterest) field(Fixed2(bar.openInterest));
    while (!separator.empty() && !line.empty() && separator.find(line.back()) != std::string::npos)
        line.pop_back();
    return line;
}

std::filesystem::path OutputFileName(const std::filesystem::path& directory,
                                     const std::string& baseName, const std::string& extension) {
    std::string name = baseName;
    if (!extension.empty() && extension[0] != '.') name += ".";
    name += extension;
    return directory / name;
}

bool IsSafeFileName(const std::string& name) {
    return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos && name != "." &&
           name != "..";
}

std::optional<std::string> OutputNameProblem(const ConversionOptions& options) {
    if (options.extension.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        return "File extension \"" + options.extension + "\" can not be part of a file name";
    if (options.singleFile && !IsSafeFileName(SingleFileName(options)))
        return "Output file name \"" + Trim(options.fileName) +
               "\" can not name a file in the output directory";
    return std::nullopt;
}

Result AsciiConverter::CheckOutput(const std::filesystem::path& outputDirectory,
                                   const ConversionOptions& options) {
    std::string problem;
    std::error_code error;
    const auto status = std::filesystem::status(outputDirectory, error);
    const std::string named = "Output directory " + outputDirectory.string();
    if (outputDirectory.empty())
        problem = "Please enter the output directory";
    else if (!std::filesystem::exists(status))
        problem = named + " does not exist";
    else if (!std::filesystem::is_directory(status))
        problem = named + " is not a directory";
    else if (!TakesNewFiles(outputDirectory))
        problem = named + " can not be written";
    else if (const auto nameProblem = OutputNameProblem(options))
        problem = *nameProblem;
    if (problem.empty()) return Result::Ok;
    Warn(problem + "; nothing was converted.");
    return Result::Failed;
}

int AsciiConverter::Convert(const std::filesystem::path& directory, const std::string& symbolsText,
                            const std::filesystem::path& outputDirectory,
                            ConversionOptions& options) {
    if (!Succeeded(CheckOutput(outputDirectory, options))) return 0;
    if (!options.extension.empty() && options.extension[0] != '.')
        options.extension = "." + options.extension;
    if (options.singleFile && Trim(options.fileName).empty())
        options.fileName = kDefaultSingleFileName;

    const std::string symbols = Trim(symbolsText);
    std::vector<std::string> tokens;
    for (std::size_t begin = 0;;) {
        const std::size_t space = symbols.find(' ', begin);
        tokens.push_back(symbols.substr(begin, space - begin));
        if (space == std::string::npos) break;
        begin = space + 1;
    }

    int written = 0;
    if (options.singleFile) {
        const auto path =
            OutputFileName(outputDirectory, SingleFileName(options), options.extension);
        std::FILE* file = CreateFile(path);
        if (file == nullptr) return 0;
        if (options.headers) std::fprintf(file, "%s\n", options.headerLine.c_str());
        int converted = 0;
        for (const auto& token : tokens)
            converted += WriteSecurity(file, directory, token, options) ? 1 : 0;
        return CloseFile(file, path) ? converted : 0;
    }
    for (const auto& token : tokens) {
        if (!IsSafeFileName(token)) {
            Warn("Can not convert security \"" + token + "\": its symbol can not name a file.");
            continue;
        }
        const auto path = OutputFileName(outputDirectory, token, options.extension);
        std::FILE* file = CreateFile(path);
        if (file == nullptr) continue;
        if (options.headers) std::fprintf(file, "%s\n", options.headerLine.c_str());
        const bool found = WriteSecurity(file, directory, token, options);
        written += CloseFile(file, path) && found ? 1 : 0;
    }
    return written;
}

bool AsciiConverter::WriteSecurity(std::FILE* file, const std::filesystem::path& directory,
                                   const std::string& symbol, const ConversionOptions& options) {
    StoreReader reader(prompt_);
    if (reader.Open(directory) != Result::Ok) return false;
    const bool found = reader.OpenPriceFileBySymbol(symbol) == Result::Ok;
    if (found) {
        const char periodicity = reader.GetPeriodicity();
        while (reader.GetRemainingBars() > 0) {
            reader.ReadNextBar();
            const std::string line =
                FormatBarLine(reader.CurrentBar(), symbol, periodicity, options);
            std::fputs(line.c_str(), file);
            std::fputc('\n', file);
        }
        reader.ClosePriceFile();
    }
    reader.Close();
    return found;
}

std::FILE* AsciiConverter::CreateFile(const std::filesystem::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) Warn("Can not create file " + path.string() + ".");
    return file;
}

bool AsciiConverter::CloseFile(std::FILE* file, const std::filesystem::path& path) {
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) {
        Warn("Can not write file " + path.string() + ".");
        return false;
    }
    return true;
}

void AsciiConverter::Warn(const std::string& text) {
    prompt_.Show(text, kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
}

}  // namespace corvane
