#include "ConversionOptions.h"

#include <algorithm>

namespace corvane {
namespace {

constexpr const char* kDateTokens[] = {"<MM/DD/YYYY>", "<DD/MM/YYYY>", "<MM/DD/YY>",
                                       "<DD/MM/YY>",   "<YYYYMMDD>",   "<YYYYDDMM>",
                                       "<YYYY/MM/DD>", "<YYYY/DD/MM>", "<DD-MMM-YY>"};

std::string PresetSection(int number) {
    return "Option" + std::to_string(number);
}

void WriteFlag(SettingsStore& settings, const std::string& section, const char* key, bool value) {
    settings.WriteInt(section, key, value ? 1 : 0);
}

}  // namespace

ConversionOptions ConversionOptions::Defaults() {
    ConversionOptions options;
    options.date = options.open = options.high = options.low = options.close = true;
    options.volume = options.headers = true;
    options.dateFormat = 4;
    options.separator = 1;
    options.headerLine = "<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>";
    options.extension = ".txt";
    options.fileName = kDefaultSingleFileName;
    return options;
}

void ConversionOptions::BuildHeaderLine() {
    std::string line;
    if (symbol) line += "<TICKER>,";
    if (periodicity) line += "<PER>,";
    if (date) {
        line += dateFormat >= 0 && dateFormat <= 8 ? kDateTokens[dateFormat] : "<DATE>";
        line += ",";
    }
    if (open) line += "<OPEN>,";
    if (high) line += "<HIGH>,";
    if (low) line += "<LOW>,";
    if (close) line += "<CLOSE>,";
    if (volume) line += "<VOL>,";
    if (openInterest) line += "<OPENINT>";
    while (!line.empty() && line.back() == ',') line.pop_back();
    headerLine = line;
}

ConversionOptions LoadConversionOptions(const SettingsStore& settings, const std::string& section) {
    auto flag = [&](const char* key) { return settings.ReadInt(section, key, 0) != 0; };
    ConversionOptions options;
    options.symbol = flag("Symbol");
    options.periodicity = flag("Periodicity");
    options.date = flag("Date");
    options.open = flag("Open");
    options.high = flag("High");
    options.low = flag("Low");
    options.close = flag("Close");
    options.volume = flag("Volume");
    options.openInterest = flag("Interest");
    options.headers = flag("Headers");
    options.separator = settings.ReadInt(section, "Separator", 0);
    options.dateFormat = settings.ReadInt(section, "DateFormat", 0);
    options.headerLine = settings.ReadString(section, "HeadersLine", "");
    options.extension = settings.ReadString(section, "Extension", "");
    options.singleFile = flag("Single");
    options.fileName = settings.ReadString(section, "FileName", "");
    return options;
}

void SaveConversionOptions(SettingsStore& settings, const std::string& section,
                           const ConversionOptions& options) {
    WriteFlag(settings, section, "Symbol", options.symbol);
    WriteFlag(settings, section, "Periodicity", options.periodicity);
    WriteFlag(settings, section, "Date", options.date);
    WriteFlag(settings, section, "Open", options.open);
    WriteFlag(settings, section, "High", options.high);
    WriteFlag(settings, section, "Low", options.low);
    WriteFlag(settings, section, "Close", options.close);
    WriteFlag(settings, section, "Volume", options.volume);
    WriteFlag(settings, section, "Interest", options.openInterest);
    WriteFlag(settings, section, "Headers", options.headers);
    settings.WriteInt(section, "Separator", options.separator);
    settings.WriteInt(section, "DateFormat", options.dateFormat);
    settings.WriteString(section, "HeadersLine", options.headerLine);
    settings.WriteString(section, "Extension", options.extension);
    WriteFlag(settings, section, "Single", options.singleFile);
    settings.WriteString(section, "FileName", options.fileName);
}

Result SavePreset(SettingsStore& settings, const std::string& name,
                  const ConversionOptions& options) {
    if (name.empty()) return Result::Failed;
    const int number = settings.ReadInt("Settings", "PresetOptions", 0) + 1;
    settings.WriteInt("Settings", "PresetOptions", number);
    const std::string section = PresetSection(number);
    settings.WriteString(section, "Name", name);
    WriteFlag(settings, section, "Open", options.open);
    WriteFlag(settings, section, "High", options.high);
    WriteFlag(settings, section, "Low", options.low);
    WriteFlag(settings, section, "Close", options.close);
    WriteFlag(settings, section, "Symbol", options.symbol);
    WriteFlag(settings, section, "Periodicity", options.periodicity);
    WriteFlag(settings, section, "Date", options.date);
    WriteFlag(settings, section, "Interest", options.openInterest);
    WriteFlag(settings, section, "Volume", options.volume);
    WriteFlag(settings, section, "Headers", options.headers);
    settings.WriteInt(section, "DateFormat", options.dateFormat);
    settings.WriteInt(section, "Separator", options.separator);
    settings.WriteString(section, "Extension", options.extension);
    settings.WriteString(section, "HeadersLine", options.headerLine);
    WriteFlag(settings, section, "Single", options.singleFile);
    settings.WriteString(section, "FileName", options.fileName);
    return Result::Ok;
}

std::vector<std::string> PresetNames(const SettingsStore& settings) {
    std::vector<std::string> names;
    const int count = settings.ReadInt("Settings", "PresetOptions", 0);
    for (int i = 1; i <= count; ++i)
        names.push_back(settings.ReadString(PresetSection(i), "Name", ""));
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<ConversionOptions> LoadPreset(const SettingsStore& settings,
                                            const std::string& name) {
    const int count = settings.ReadInt("Settings", "PresetOptions", 0);
    for (int i = 1; i <= count; ++i)
        if (settings.ReadString(PresetSection(i), "Name", "") == name)
            return LoadConversionOptions(settings, PresetSection(i));
    return std::nullopt;
}

ConversionOptions ApplyPreset(const ConversionOptions& current, const ConversionOptions& preset) {
    ConversionOptions applied = preset;
    applied.fileName = current.fileName.empty() ? kDefaultSingleFileName : current.fileName;
    return applied;
}

}  // namespace corvane
