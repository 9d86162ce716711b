#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Result.h"
#include "SettingsStore.h"

namespace corvane {

// How the ASCII conversion lays out its text files.
struct ConversionOptions {
    bool symbol = false;
    bool periodicity = false;
    bool date = false;
    bool open = false;
    bool high = false;
    bool low = false;
    bool close = false;
    bool volume = false;
    bool openInterest = false;
    bool headers = false;
    int separator = 0;   // 0 space, 1 comma, 2 slash ("//"), 3 tab; -1 none selected
    int dateFormat = 0;  // 0..8, -1 none selected
    std::string headerLine;
    std::string extension;  // with or without its leading dot
    bool singleFile = false;
    std::string fileName;  // base name of the single file

    // The record the options dialog's Default button gives.
    static ConversionOptions Defaults();
    // Rebuilds the header line from the field flags and the date format.
    void BuildHeaderLine();

    bool operator==(const ConversionOptions&) const = default;
};

inline constexpr const char* kCurrentOptionSection = "CurrentOption";
inline constexpr const char* kDefaultSingleFileName = "ascii_file";

// One section of the settings: missing integers read 0, texts empty.
ConversionOptions LoadConversionOptions(const SettingsStore& settings, const std::string& section);
void SaveConversionOptions(SettingsStore& settings, const std::string& section,
                           const ConversionOptions& options);

// Presets: "PresetOptions" in "Settings" counts them; each lives in "Option<n>".
// Appends a preset; fails, writing nothing, for an empty name.
Result SavePreset(SettingsStore& settings, const std::string& name,
                  const ConversionOptions& options);
// Names of every preset, sorted.
std::vector<std::string> PresetNames(const SettingsStore& settings);
// The first preset of that exact name.
std::optional<ConversionOptions> LoadPreset(const SettingsStore& settings, const std::string& name);
// A loaded preset as the options dialog takes it: its own file name stays.
ConversionOptions ApplyPreset(const ConversionOptions& current, const ConversionOptions& preset);

}  // namespace corvane
