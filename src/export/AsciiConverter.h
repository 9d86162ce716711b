#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ConversionOptions.h"
#include "PriceBar.h"
#include "Prompt.h"

namespace corvane {

class StoreReader;

// The bar's date (CYYMMDD or YYYYMMDD) in one of the nine date formats;
// any other format value gives YYYYMMDD.
std::string FormatBarDate(std::int32_t date, int dateFormat);
// One output line without its line end.
std::string FormatBarLine(const PriceBar& bar, const std::string& symbol, char periodicity,
                          const ConversionOptions& options);

// Writes the output lines of one security's bars straight into a caller's
// buffer; what is the same on every line (symbol, periodicity, separator) is
// laid out once.
class BarLineWriter {
public:
    BarLineWriter(const std::string& symbol, char periodicity, const ConversionOptions& options);
    // The longest line Write can produce, line end excluded.
    std::size_t MaxLineLength() const { return maxLength_; }
    // Writes the line of `bar` without its line end; returns its end.
    char* Write(char* out, const PriceBar& bar) const;

private:
    std::string prefix_;  // symbol and periodicity, each with its separator
    std::string separator_;
    std::array<char, 2> separatorBytes_{};
    const ConversionOptions& options_;
    std::size_t maxLength_ = 0;
};
// Directory, base name, then the extension with a dot put in front when missing.
std::filesystem::path OutputFileName(const std::filesystem::path& directory,
                                     const std::string& baseName, const std::string& extension);
// A symbol that can name a file inside the output directory: no separator,
// no NUL, not "." or "..".
bool IsSafeFileName(const std::string& name);
// Why the options would name an output file outside the output directory (an
// extension with a separator, or a single file's name that is not a safe file
// name), as a sentence without its full stop; nullopt when they are safe. Both come
// from settings and presets, so they are checked before every run.
std::optional<std::string> OutputNameProblem(const ConversionOptions& options);

// Writes the bars of securities of a data directory to text files laid out
// by a ConversionOptions record: one file per security, or one for all.
class AsciiConverter {
public:
    explicit AsciiConverter(Prompt& prompt) : prompt_(prompt) {}

    // Whether a run may start: the output directory exists, is a directory
    // and takes new files, and OutputNameProblem finds nothing. A failure
    // shows one message naming the directory or the setting; nothing has been
    // written then. Probing the directory creates and removes a hidden file.
    Result CheckOutput(const std::filesystem::path& outputDirectory,
                       const ConversionOptions& options);

    // symbolsText: the securities separated by single spaces, as typed. The
    // options get the dot of their extension and the single file's default
    // name, as the dialog's copy does. Runs CheckOutput first and writes
    // nothing when it fails. Returns the number of securities converted: a
    // symbol the directory lacks, or whose file cannot be written, does not
    // count.
    int Convert(const std::filesystem::path& directory, const std::string& symbolsText,
                const std::filesystem::path& outputDirectory, ConversionOptions& options);

private:
    std::FILE* CreateFile(const std::filesystem::path& path);
    bool CloseFile(std::FILE* file, const std::filesystem::path& path);
    // Appends the security's lines to the file; false when the directory is
    // not open or lacks the security.
    bool WriteSecurity(std::FILE* file, StoreReader* reader, const std::string& symbol,
                       const ConversionOptions& options);
    void Warn(const std::string& text);

    Prompt& prompt_;
    std::vector<PriceBar> bars_;  // of the security in hand
    std::unique_ptr<char[]> text_;
    std::size_t textCapacity_ = 0;
};

}  // namespace corvane
