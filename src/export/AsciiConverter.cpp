#include "AsciiConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Coding.h"
#include "DecimalText.h"
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

// A number of at least `width` digits with leading zeros, without its sign.
char* WriteDigits(char* out, std::int32_t value, int width) {
    const auto magnitude =
        static_cast<unsigned long long>(value < 0 ? -static_cast<long long>(value) : value);
    for (int pad = DecimalDigits(magnitude); pad < width; ++pad) *out++ = '0';
    return WriteUnsigned(out, magnitude);
}

char* WriteBarDate(char* out, std::int32_t date, int dateFormat) {
    const std::int32_t full = ToLongDate(date);
    const std::int32_t year = full / 10000, month = full / 100 % 100, day = full % 100;
    auto Y = [&](char* at) { return WriteDigits(at, year, 4); };
    auto M = [&](char* at) { return WriteDigits(at, month, 2); };
    auto D = [&](char* at) { return WriteDigits(at, day, 2); };
    auto y = [&](char* at) { return WriteDigits(at, full / 10000 % 100, 2); };
    auto put = [](char* at, char c) {
        *at = c;
        return at + 1;
    };
    switch (dateFormat) {
        case 0:
            return Y(put(D(put(M(out), '/')), '/'));
        case 1:
            return Y(put(M(put(D(out), '/')), '/'));
        case 2:
            return y(put(D(put(M(out), '/')), '/'));
        case 3:
            return y(put(M(put(D(out), '/')), '/'));
        case 5:
            return M(D(Y(out)));
        case 6:
            return D(put(M(put(Y(out), '/')), '/'));
        case 7:
            return M(put(D(put(Y(out), '/')), '/'));
        case 8: {
            out = put(D(out), '-');
            if (month >= 1 && month <= 12) {
                std::memcpy(out, kMonths[month - 1], 3);
                out += 3;
            } else {
                out = M(out);
            }
            return y(put(out, '-'));
        }
        default:
            return D(M(Y(out)));
    }
}

// Longer than any date WriteBarDate writes (a year has at most six digits).
constexpr std::size_t kMaxDateChars = 24;
// Output is written out in blocks of about this size.
constexpr std::size_t kOutputBlock = 1 << 20;

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
    char text[kMaxDateChars];
    return std::string(text, WriteBarDate(text, date, dateFormat));
}

std::string FormatBarLine(const PriceBar& bar, const std::string& symbol, char periodicity,
                          const ConversionOptions& options) {
    const BarLineWriter writer(symbol, periodicity, options);
    std::string line(writer.MaxLineLength(), '\0');
    line.resize(static_cast<std::size_t>(writer.Write(line.data(), bar) - line.data()));
    return line;
}

BarLineWriter::BarLineWriter(const std::string& symbol, char periodicity,
                             const ConversionOptions& options)
    : separator_(SeparatorText(options.separator)), options_(options) {
    if (options.symbol) prefix_ += symbol + separator_;
    if (options.periodicity)
        prefix_ += (periodicity == 'D' ? "D" : periodicity == 'W' ? "W" : "M") + separator_;
    std::copy(separator_.begin(), separator_.end(), separatorBytes_.begin());
    // One byte to spare: a separator is written two bytes at a time.
    maxLength_ = prefix_.size() + kMaxDateChars + 7 * (kMaxFixedChars + separator_.size()) + 1;
}

char* BarLineWriter::Write(char* out, const PriceBar& bar) const {
    char* const start = out;
    std::memcpy(out, prefix_.data(), prefix_.size());
    out += prefix_.size();
    // Separators have two bytes at most: both are copied, as many kept.
    auto separate = [&] {
        std::memcpy(out, separatorBytes_.data(), 2);
        out += separator_.size();
    };
    if (options_.date) out = WriteBarDate(out, bar.date, options_.dateFormat), separate();
    // Prices are written without their sign; volume and open interest keep it.
    if (options_.open) out = WriteFixed(out, std::fabs(bar.open), 2), separate();
    if (options_.high) out = WriteFixed(out, std::fabs(bar.high), 2), separate();
    if (options_.low) out = WriteFixed(out, std::fabs(bar.low), 2), separate();
    if (options_.close) out = WriteFixed(out, std::fabs(bar.close), 2), separate();
    if (options_.volume) out = WriteFixed(out, bar.volume, 2), separate();
    if (options_.openInterest) out = WriteFixed(out, bar.openInterest, 2), separate();
    while (out > start && !separator_.empty() &&
           (out[-1] == separatorBytes_[0] || out[-1] == separatorBytes_[separator_.size() - 1]))
        --out;
    return out;
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

    // One reader for the run: the directory's entries are read once and each
    // symbol is found in that table.
    StoreReader reader(prompt_);
    StoreReader* store = reader.Open(directory) == Result::Ok ? &reader : nullptr;
    if (store != nullptr) store->LoadEntryTable();

    int written = 0;
    if (options.singleFile) {
        const auto path =
            OutputFileName(outputDirectory, SingleFileName(options), options.extension);
        std::FILE* file = CreateFile(path);
        if (file == nullptr) return 0;
        if (options.headers) std::fprintf(file, "%s\n", options.headerLine.c_str());
        int converted = 0;
        for (const auto& token : tokens)
            converted += WriteSecurity(file, store, token, options) ? 1 : 0;
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
        const bool found = WriteSecurity(file, store, token, options);
        written += CloseFile(file, path) && found ? 1 : 0;
    }
    return written;
}

bool AsciiConverter::WriteSecurity(std::FILE* file, StoreReader* reader, const std::string& symbol,
                                   const ConversionOptions& options) {
    if (reader == nullptr || reader->ReadBarsBySymbol(symbol, bars_) != Result::Ok) return false;
    const BarLineWriter lines(symbol, reader->GetPeriodicity(), options);
    const std::size_t line = lines.MaxLineLength() + 1;
    const std::size_t capacity = std::max(kOutputBlock, line);
    if (textCapacity_ < capacity) {
        text_ = std::make_unique_for_overwrite<char[]>(capacity);
        textCapacity_ = capacity;
    }
    char* const begin = text_.get();
    char* out = begin;
    for (const PriceBar& bar : bars_) {
        if (static_cast<std::size_t>(begin + textCapacity_ - out) < line) {
            std::fwrite(begin, 1, static_cast<std::size_t>(out - begin), file);
            out = begin;
        }
        out = lines.Write(out, bar);
        *out++ = '\n';
    }
    std::fwrite(begin, 1, static_cast<std::size_t>(out - begin), file);
    return true;
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
