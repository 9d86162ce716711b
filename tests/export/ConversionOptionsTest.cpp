#include <gmock/gmock.h>

#include "ConversionOptions.h"
#include "InMemorySettingsStore.h"

namespace corvane {
namespace {

using ::testing::ElementsAre;

// Remembers the order in which keys of one section are written.
class OrderRecordingSettings : public InMemorySettingsStore {
public:
    void WriteInt(const std::string& section, const std::string& key, std::int32_t value) override {
        written.push_back(section + "/" + key);
        InMemorySettingsStore::WriteInt(section, key, value);
    }
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        written.push_back(section + "/" + key);
        InMemorySettingsStore::WriteString(section, key, value);
    }
    std::vector<std::string> written;
};

TEST(ConversionOptionsTest, FirstStartHasNothingSelectedDefaultsAreTheButtons) {
    InMemorySettingsStore empty;
    const ConversionOptions first = LoadConversionOptions(empty, kCurrentOptionSection);
    EXPECT_EQ(first, ConversionOptions{});
    const ConversionOptions defaults = ConversionOptions::Defaults();
    EXPECT_TRUE(defaults.date && defaults.open && defaults.volume && defaults.headers);
    EXPECT_FALSE(defaults.symbol || defaults.periodicity || defaults.openInterest);
    EXPECT_EQ(defaults.dateFormat, 4);
    EXPECT_EQ(defaults.separator, 1);
    EXPECT_EQ(defaults.headerLine, "<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>");
    EXPECT_EQ(defaults.extension, ".txt");
    EXPECT_EQ(defaults.fileName, "ascii_file");
}

TEST(ConversionOptionsTest, HeaderLineFromTheFields) {
    ConversionOptions options = ConversionOptions::Defaults();
    options.BuildHeaderLine();
    EXPECT_EQ(options.headerLine, "<YYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>");
    options.symbol = options.periodicity = options.openInterest = true;
    options.dateFormat = 8;
    options.BuildHeaderLine();
    EXPECT_EQ(options.headerLine,
              "<TICKER>,<PER>,<DD-MMM-YY>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>");
    ConversionOptions none;
    none.BuildHeaderLine();
    EXPECT_EQ(none.headerLine, "");
    none.openInterest = true;
    none.BuildHeaderLine();
    EXPECT_EQ(none.headerLine, "<OPENINT>");
    none.date = true;
    none.dateFormat = -1;
    none.BuildHeaderLine();
    EXPECT_EQ(none.headerLine, "<DATE>,<OPENINT>");
}

TEST(ConversionOptionsTest, CurrentOptionRoundTrip) {
    InMemorySettingsStore settings;
    ConversionOptions options = ConversionOptions::Defaults();
    options.singleFile = options.symbol = true;
    options.separator = 3;
    SaveConversionOptions(settings, kCurrentOptionSection, options);
    EXPECT_EQ(LoadConversionOptions(settings, kCurrentOptionSection), options);
}

TEST(ConversionOptionsTest, PresetsAreAppendedInTheirKeyOrderAndFoundByFirstName) {
    OrderRecordingSettings settings;
    ConversionOptions first = ConversionOptions::Defaults();
    first.fileName = "first";
    ConversionOptions second = first;
    second.separator = 0;
    EXPECT_EQ(SavePreset(settings, "", first), Result::Failed);
    EXPECT_TRUE(settings.written.empty());
    ASSERT_EQ(SavePreset(settings, "Mine", first), Result::Ok);
    EXPECT_THAT(
        settings.written,
        ElementsAre("Settings/PresetOptions", "Option1/Name", "Option1/Open", "Option1/High",
                    "Option1/Low", "Option1/Close", "Option1/Symbol", "Option1/Periodicity",
                    "Option1/Date", "Option1/Interest", "Option1/Volume", "Option1/Headers",
                    "Option1/DateFormat", "Option1/Separator", "Option1/Extension",
                    "Option1/HeadersLine", "Option1/Single", "Option1/FileName"));
    ASSERT_EQ(SavePreset(settings, "Mine", second), Result::Ok);
    ASSERT_EQ(SavePreset(settings, "Another", second), Result::Ok);
    EXPECT_EQ(settings.ReadInt("Settings", "PresetOptions", 0), 3);
    EXPECT_THAT(PresetNames(settings), ElementsAre("Another", "Mine", "Mine"));
    EXPECT_EQ(LoadPreset(settings, "Mine"), first);
    EXPECT_FALSE(LoadPreset(settings, "mine").has_value());

    ConversionOptions dialog;
    dialog.fileName = "kept";
    EXPECT_EQ(ApplyPreset(dialog, first).fileName, "kept");
    EXPECT_EQ(ApplyPreset(ConversionOptions{}, first).fileName, "ascii_file");
}

}  // namespace
}  // namespace corvane
