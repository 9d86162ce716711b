#include "ExportCommands.h"

#include "AsciiConverter.h"
#include "CliApp.h"
#include "CliSettings.h"

namespace corvane {

int ConvertCommand(const CommandLine& line, CliContext& context) {
    const auto out = line.Value("--out");
    if (!out || (line.Has("--preset") && line.Has("--defaults"))) {
        context.err
            << "corvane-cli: convert needs --out, and at most one of --preset and --defaults\n";
        return kExitUsage;
    }
    const auto settings = UserSettings();
    ConversionOptions options = LoadConversionOptions(*settings, kCurrentOptionSection);
    if (line.Has("--defaults")) options = ConversionOptions::Defaults();
    if (const auto name = line.Value("--preset")) {
        const auto preset = LoadPreset(*settings, *name);
        if (!preset) {
            context.prompt.Show("Can not find conversion option: " + *name, kAppCaption,
                                PromptIcon::Warning, PromptButtons::Ok);
            return kExitFailure;
        }
        options = ApplyPreset(options, *preset);
    }
    const auto& words = line.Positional();
    std::string symbols;
    for (std::size_t i = 1; i < words.size(); ++i) symbols += " " + words[i];
    AsciiConverter converter(context.prompt);
    // A symbol the directory lacks fails the command once the others are written.
    // An output directory that is missing or read-only, or a file name or
    // extension from the settings that would leave it, converts nothing: 0.
    const int converted = converter.Convert(words[0], symbols, *out, options);
    return converted == static_cast<int>(words.size() - 1) ? kExitOk : kExitFailure;
}

}  // namespace corvane
