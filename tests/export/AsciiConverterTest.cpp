#include <gmock/gmock.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "AsciiConverter.h"
#include "Coding.h"
#include "DataDirBuilder.h"
#include "DirectoryFiles.h"
#include "FixedClock.h"
#include "RecordingPrompt.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

ConversionOptions Fields(std::initializer_list<bool ConversionOptions::*> on, int dateFormat = 4,
                         int separator = 1) {
    ConversionOptions options;
    for (auto field : on) options.*field = true;
    options.dateFormat = dateFormat;
    options.separator = separator;
    return options;
}

TEST(BarLineTest, EveryDateFormatInBothCenturies) {
    const std::pair<int, std::pair<const char*, const char*>> cases[] = {
        {0, {"12/31/1999", "02/28/2005"}}, {1, {"31/12/1999", "28/02/2005"}},
        {2, {"12/31/99", "02/28/05"}},     {3, {"31/12/99", "28/02/05"}},
        {4, {"19991231", "20050228"}},     {5, {"19993112", "20052802"}},
        {6, {"1999/12/31", "2005/02/28"}}, {7, {"1999/31/12", "2005/28/02"}},
        {8, {"31-Dec-99", "28-Feb-05"}},   {-1, {"19991231", "20050228"}},
    };
    for (const auto& [format, texts] : cases) {
        EXPECT_EQ(FormatBarDate(991231, format), texts.first) << format;
        EXPECT_EQ(FormatBarDate(1050228, format), texts.second) << format;
    }
}

TEST(BarLineTest, FieldsSeparatorsAndSigns) {
    using O = ConversionOptions;
    const PriceBar bar{1050228, -84.5f, 85.25f, 84.1f, 85.0f, 4123400.0f, -3.0f};
    struct Case {
        ConversionOptions options;
        std::string line;
    };
    const Case cases[] = {
        {Fields({&O::symbol, &O::date, &O::open, &O::high, &O::low, &O::close, &O::volume}),
         "ibm,20050228,84.50,85.25,84.10,85.00,4123400.00"},
        {Fields({&O::date, &O::open, &O::high}, 0, 2), "02/28/2005//84.50//85.25"},
        {Fields({&O::periodicity, &O::date}, 8, 0), "W 28-Feb-05"},
        {Fields({&O::close, &O::volume, &O::openInterest}, 4, 3), "85.00\t4123400.00\t-3.00"},
        {Fields({&O::open, &O::close}, 4, -1), "84.5085.00"},
        {Fields({&O::openInterest}), "-3.00"},
        {Fields({}), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatBarLine(bar, "ibm", 'W', c.options), c.line);
    EXPECT_EQ(FormatBarLine(bar, "X", 'Q', Fields({&O::periodicity})), "M");
}

// The layout spelt out plainly, numbers by the C library's "%.2f": the
// converter's own writer must give these bytes.
std::string ReferenceLine(const PriceBar& bar, const std::string& symbol, char periodicity,
                          const ConversionOptions& o) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    auto digits = [](long long value, int width) {
        char text[32];
        std::snprintf(text, sizeof text, "%0*lld", width, value < 0 ? -value : value);
        return std::string(text);
    };
    auto number = [](float value) {
        char text[80];
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
        return std::string(text);
    };
    const long long full = ToLongDate(bar.date);
    const std::string Y = digits(full / 10000, 4), M = digits(full / 100 % 100, 2),
                      D = digits(full % 100, 2), y = digits(full / 10000 % 100, 2);
    std::string date;
    switch (o.dateFormat) {
        case 0:
            date = M + "/" + D + "/" + Y;
            break;
        case 1:
            date = D + "/" + M + "/" + Y;
            break;
        case 2:
            date = M + "/" + D + "/" + y;
            break;
        case 3:
            date = D + "/" + M + "/" + y;
            break;
        case 5:
            date = Y + D + M;
            break;
        case 6:
            date = Y + "/" + M + "/" + D;
            break;
        case 7:
            date = Y + "/" + D + "/" + M;
            break;
        case 8: {
            const long long month = full / 100 % 100;
            date = D + "-" + (month >= 1 && month <= 12 ? months[month - 1] : M) + "-" + y;
            break;
        }
        default:
            date = Y + M + D;
    }
    const std::string separator = o.separator == 0   ? " "
                                  : o.separator == 1 ? ","
                                  : o.separator == 2 ? "//"
                                  : o.separator == 3 ? "\t"
                                                     : "";
    std::string line;
    auto field = [&](bool on, const std::string& text) {
        if (on) line += text + separator;
    };
    field(o.symbol, symbol);
    field(o.periodicity, periodicity == 'D' ? "D" : periodicity == 'W' ? "W" : "M");
    field(o.date, date);
    field(o.open, number(std::fabs(bar.open)));
    field(o.high, number(std::fabs(bar.high)));
    field(o.low, number(std::fabs(bar.low)));
    field(o.close, number(std::fabs(bar.close)));
    field(o.volume, number(bar.volume));
    field(o.openInterest, number(bar.openInterest));
    while (!line.empty() && !separator.empty() && separator.find(line.back()) != std::string::npos)
        line.pop_back();
    return line;
}

// Any float a price file can hold, from a random MBF word.
float RandomStoredFloat(std::mt19937& random) {
    const std::uint32_t word = random();
    return MbfToIeee(word >> 24 < 2 ? word | 0x02000000 : word);
}

TEST(BarLineTest, SameBytesAsThePlainLayoutForEveryFormatSeparatorAndFieldSet) {
    std::mt19937 random(20050228);
    std::vector<PriceBar> bars = {
        {1050228, -84.5f, 85.25f, 84.1f, 85.0f, 4123400.0f, -3.0f},
        {991231, 0.125f, 0.375f, -0.0f, 1e-3f, -0.0f, -0.001f},
        {0, 3.4e38f, -3.4e38f, 1e-40f, 16777217.0f, 1e20f, 0.005f},
        {1051399, 1, 2, 3, 4, 5, 6},  // no such month or day
        {-5, 1, 2, 3, 4, 5, 6},       // dates a damaged file can hold
        {2147483647, 1, 2, 3, 4, 5, 6},
        {20991231, 1, 2, 3, 4, 5, 6},  // already in the long form
    };
    for (int i = 0; i < 60; ++i) {
        PriceBar bar{static_cast<std::int32_t>(random() % 1200000), 0, 0, 0, 0, 0, 0};
        for (float* value :
             {&bar.open, &bar.high, &bar.low, &bar.close, &bar.volume, &bar.openInterest})
            *value = i % 2 == 0 ? RandomStoredFloat(random)
                                : static_cast<float>(random() % 1000000) / 64.0f;
        bars.push_back(bar);
    }
    int lines = 0;
    for (int fields = 0; fields < 512; ++fields) {
        ConversionOptions options;
        bool ConversionOptions::*const flags[] = {
            &ConversionOptions::symbol,      &ConversionOptions::periodicity,
            &ConversionOptions::date,        &ConversionOptions::open,
            &ConversionOptions::high,        &ConversionOptions::low,
            &ConversionOptions::close,       &ConversionOptions::volume,
            &ConversionOptions::openInterest};
        for (int f = 0; f < 9; ++f) options.*flags[f] = (fields >> f & 1) != 0;
        // Every date format and separator with every field on, a few with the rest.
        const bool all = fields == 511;
        for (int dateFormat = -1; dateFormat <= 9; ++dateFormat) {
            if (!all && dateFormat != fields % 11 - 1) continue;
            for (int separator = -1; separator <= 4; ++separator) {
                if (!all && separator != fields % 6 - 1) continue;
                options.dateFormat = dateFormat;
                options.separator = separator;
                for (const std::string symbol : {"ibm", "A/", "X,"})
                    for (const char periodicity : {'D', 'W', 'q'})
                        for (const PriceBar& bar : bars) {
                            ASSERT_EQ(FormatBarLine(bar, symbol, periodicity, options),
                                      ReferenceLine(bar, symbol, periodicity, options))
                                << "fields " << fields << " format " << dateFormat << " separator "
                                << separator << " date " << bar.date;
                            ++lines;
                        }
            }
        }
    }
    EXPECT_GT(lines, 150'000);
}

TEST(FileNameTest, ExtensionsAndUnsafeSymbols) {
    EXPECT_EQ(OutputFileName("/out", "IBM", "txt"), "/out/IBM.txt");
    EXPECT_EQ(OutputFileName("/out", "IBM", ".csv"), "/out/IBM.csv");
    EXPECT_EQ(OutputFileName("/out", "IBM", ""), "/out/IBM");
    for (const char* bad : {"../x", "a/b", "/etc/passwd", "..", ".", "a\\b"})
        EXPECT_FALSE(IsSafeFileName(bad)) << bad;
    EXPECT_FALSE(IsSafeFileName(std::string("a\0b", 3)));
    EXPECT_TRUE(IsSafeFileName("BRK.B"));
}

class AsciiConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        StoreWriter writer(prompt_, clock_);
        ASSERT_EQ(writer.CreateDirectory(store_.Path()), Result::Ok);
        ASSERT_EQ(writer.Open(store_.Path()), Result::Ok);
        for (const char* symbol : {"IBM", "MSFT", "AAPL"}) {
            ASSERT_EQ(writer.AddSecurity(symbol, symbol, 'D'), Result::Ok);
            ASSERT_EQ(writer.OpenPriceFileForWrite(symbol, false), Result::Ok);
            ASSERT_EQ(writer.AppendBar({991231, 1, 2, 0.5f, 1.5f, 100, 0}), Result::Ok);
            ASSERT_EQ(writer.AppendBar({1050228, 84.5f, 85.25f, 84.1f, 85, 4123400, 0}),
                      Result::Ok);
            ASSERT_EQ(writer.ClosePriceFile(), Result::Ok);
        }
        writer.Close();
        options_ = ConversionOptions::Defaults();
        std::filesystem::create_directory(out_);
    }

    std::vector<std::string> Lines(const std::string& name) {
        std::ifstream in(out_ / name);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    int Convert(const std::string& symbols) {
        AsciiConverter converter(prompt_);
        return converter.Convert(store_.Path(), symbols, out_, options_);
    }

    // Every file under the folder that holds the output directory.
    std::vector<std::string> FilesAroundOutput() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_.Path()))
            files.push_back(entry.path().lexically_relative(root_.Path()).string());
        std::sort(files.begin(), files.end());
        return files;
    }

    TempDir store_, root_;
    std::filesystem::path out_ = root_ / "out";
    RecordingPrompt prompt_;
    FixedClock clock_;
    ConversionOptions options_;
};

TEST_F(AsciiConverterTest, OneFilePerSecurityNamedAsTyped) {
    options_.extension = "csv";
    EXPECT_EQ(Convert(" ibm MSFT "), 2);
    EXPECT_EQ(options_.extension, ".csv");
    EXPECT_THAT(Lines("ibm.csv"), ElementsAre("<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>",
                                              "19991231,1.00,2.00,0.50,1.50,100.00",
                                              "20050228,84.50,85.25,84.10,85.00,4123400.00"));
    EXPECT_EQ(Lines("MSFT.csv").size(), 3u);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(AsciiConverterTest, SingleFileHoldsTheHeaderOnceThenEverySecurity) {
    options_.singleFile = options_.symbol = true;
    options_.fileName = "  ";
    EXPECT_EQ(Convert("AAPL IBM MSFT"), 3);
    const auto lines = Lines("ascii_file.txt");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], options_.headerLine);
    EXPECT_THAT(lines[1], HasSubstr("AAPL,19991231"));
    EXPECT_THAT(lines[3], HasSubstr("IBM,19991231"));
    EXPECT_THAT(lines[6], HasSubstr("MSFT,20050228"));
}

TEST_F(AsciiConverterTest, MissingSymbolGivesAHeaderOnlyFileAndTheStoresMessage) {
    EXPECT_EQ(Convert("NOPE IBM"), 1);  // NOPE does not count as converted
    EXPECT_THAT(Lines("NOPE.txt"), ElementsAre(options_.headerLine));
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text, "Can not find security: NOPE");
    EXPECT_EQ(prompt_.shown[0].caption, "Vaultix");
}

TEST_F(AsciiConverterTest, SymbolsThatWouldLeaveTheOutputDirectoryAreRefused) {
    EXPECT_EQ(Convert("../IBM /tmp/IBM a/b MSFT"), 1);
    EXPECT_THAT(FilesAroundOutput(), ElementsAre("out", "out/MSFT.txt"));
    EXPECT_EQ(Lines("MSFT.txt").size(), 3u);
    ASSERT_EQ(prompt_.shown.size(), 3u);
    EXPECT_THAT(prompt_.shown[0].text, HasSubstr("../IBM"));
}

// A missing or unwritable output directory is named once, before any file
// is created, and no file lands anywhere else.
TEST_F(AsciiConverterTest, UnusableOutputDirectoryIsNamedOnceAndNothingIsWritten) {
    std::ofstream(root_ / "plain") << "not a folder";
    const auto readOnly = root_ / "readonly";
    std::filesystem::create_directory(readOnly);
    std::filesystem::permissions(
        readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    struct Case {
        std::filesystem::path directory;
        std::string message;
    };
    std::vector<Case> cases = {
        {root_ / "missing", "Output directory " + (root_ / "missing").string() +
                                " does not exist; nothing was converted."},
        {root_ / "plain", "Output directory " + (root_ / "plain").string() +
                              " is not a directory; nothing was converted."},
        {"", "Please enter the output directory; nothing was converted."},
    };
    // Permission bits do not stop a privileged process; a folder of /proc
    // takes no new files from anyone.
    if (!std::ofstream(readOnly / "probe"))
        cases.push_back({readOnly, "Output directory " + readOnly.string() +
                                       " can not be written; nothing was converted."});
    std::filesystem::remove(readOnly / "probe");
    if (std::filesystem::is_directory("/proc/self"))
        cases.push_back({"/proc/self",
                         "Output directory /proc/self can not be written; nothing was converted."});
    for (const bool single : {false, true}) {
        for (const Case& c : cases) {
            prompt_.shown.clear();
            options_.singleFile = single;
            AsciiConverter converter(prompt_);
            EXPECT_EQ(converter.Convert(store_.Path(), "IBM MSFT", c.directory, options_), 0);
            EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{c.message});
            EXPECT_THAT(FilesAroundOutput(), ElementsAre("out", "plain", "readonly"));
        }
    }
}

// The single file's name and the extension come from settings and presets:
// one that would leave the output directory converts nothing.
TEST_F(AsciiConverterTest, NamesFromTheSettingsThatLeaveTheOutputDirectoryAreRefused) {
    struct Case {
        bool single;
        std::string fileName, extension, message;
    };
    const Case cases[] = {
        {true, "../x", ".txt",
         "Output file name \"../x\" can not name a file in the output directory; nothing was "
         "converted."},
        {true, " .. ", ".txt",
         "Output file name \"..\" can not name a file in the output directory; nothing was "
         "converted."},
        {true, "sub/x", "txt",
         "Output file name \"sub/x\" can not name a file in the output directory; nothing was "
         "converted."},
        {false, "../x", "/../../y",
         "File extension \"/../../y\" can not be part of a file name; "
         "nothing was converted."},
        {true, "x", "txt/../../y",
         "File extension \"txt/../../y\" can not be part of a file name; nothing was converted."},
        {false, "", "a\\b",
         "File extension \"a\\b\" can not be part of a file name; nothing was converted."},
    };
    for (const Case& c : cases) {
        prompt_.shown.clear();
        options_.singleFile = c.single;
        options_.fileName = c.fileName;
        options_.extension = c.extension;
        EXPECT_EQ(Convert("IBM MSFT"), 0) << c.fileName << c.extension;
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{c.message});
        EXPECT_THAT(FilesAroundOutput(), ElementsAre("out"));
    }
    // A file name that is not used (single file off) does not stop the run.
    options_.singleFile = false;
    options_.fileName = "../x";
    options_.extension = "csv";
    EXPECT_EQ(Convert("IBM"), 1);
    EXPECT_THAT(FilesAroundOutput(), ElementsAre("out", "out/IBM.csv"));
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A whole real directory, low and extended entries, converted in one run:
// every file holds the plain layout of every bar, in the order typed.
TEST_F(AsciiConverterTest, WholeRealDirectoryGivesThePlainLayoutOfEveryBar) {
    const auto directory = TestDataDir() / "metastock/okomarov-sample";
    const std::vector<std::string> stored = ReadSymbols(directory);
    ASSERT_GT(stored.size(), 400u);
    // Reversed, some typed in small letters, one twice and one missing.
    std::vector<std::string> typed(stored.rbegin(), stored.rend());
    for (std::size_t i = 0; i < typed.size(); i += 3)
        std::transform(typed[i].begin(), typed[i].end(), typed[i].begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
    typed.insert(typed.begin() + 5, typed[2]);
    typed.insert(typed.begin() + 7, "NOPE");
    std::string symbols;
    for (const std::string& symbol : typed) symbols += " " + symbol;

    for (const bool single : {false, true}) {
        SCOPED_TRACE(single);
        std::filesystem::remove_all(out_);
        std::filesystem::create_directory(out_);
        prompt_.shown.clear();
        options_ = ConversionOptions::Defaults();
        options_.symbol = options_.periodicity = options_.openInterest = true;
        options_.dateFormat = single ? 8 : 0;
        options_.separator = single ? 2 : 3;
        options_.singleFile = single;
        options_.BuildHeaderLine();
        AsciiConverter converter(prompt_);
        EXPECT_EQ(converter.Convert(directory, symbols, out_, options_),
                  static_cast<int>(typed.size()) - 1);
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Can not find security: NOPE"});

        std::string all = options_.headerLine + "\n";
        const auto entries = ReadEntries(directory);
        for (const std::string& symbol : typed) {
            const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
                return EqualsNoCase(e.symbol, symbol);
            });
            std::string text = single ? "" : options_.headerLine + "\n";
            if (entry != entries.end())
                for (const PriceBar& bar : ReadBars(directory, symbol))
                    text += ReferenceLine(bar, symbol, entry->periodicity, options_) + "\n";
            if (!single) {
                EXPECT_EQ(FileText(out_ / (symbol + ".txt")), text) << symbol;
            }
            all += text;
        }
        if (single) {
            EXPECT_EQ(FileText(out_ / "ascii_file.txt"), all);
        }
    }
}

TEST_F(AsciiConverterTest, RealDirectoryConvertsEveryBar) {
    AsciiConverter converter(prompt_);
    EXPECT_EQ(
        converter.Convert(TestDataDir() / "metastock/okomarov-sample", "ASR RCF", out_, options_),
        2);
    EXPECT_EQ(Lines("ASR.txt").size(), 1u + 127u);
    EXPECT_EQ(Lines("RCF.txt")[1].substr(0, 9), "20100105,");
}

}  // namespace
}  // namespace corvane::test
