// Builds a data directory from fuzzed index and price-file bytes, then reads
// and changes it the way the program does.
#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "Clock.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace {

using namespace corvane;

class SilentPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

class FixedClock : public Clock {
public:
    LocalDateTime Now() const override { return {2024, 2, 29, 12, 0, 0, 4}; }
};

const std::filesystem::path& WorkDir() {
    static const std::filesystem::path dir = [] {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        return base / ("corvane-fuzz-" + std::to_string(::getpid()));
    }();
    return dir;
}

void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(WorkDir() / name, std::ios::binary) << bytes;
}

std::vector<std::string> ReadEverything(SilentPrompt& prompt) {
    std::vector<std::string> symbols;
    StoreReader reader(prompt);
    if (reader.Open(WorkDir()) != Result::Ok) return symbols;
    while (reader.GetRemainingSecurities() > 0) {
        reader.NextSecurity();
        symbols.push_back(reader.GetSymbol());
    }
    reader.Close();
    if (reader.Open(WorkDir()) != Result::Ok) return symbols;
    for (const auto& symbol : symbols) {
        if (reader.OpenPriceFileBySymbol(symbol) != Result::Ok) break;
        while (reader.GetRemainingBars() > 0) reader.ReadNextBar();
        reader.ClosePriceFile();
    }
    reader.Close();
    return symbols;
}

void ChangeEverything(const std::vector<std::string>& symbols, FuzzedDataProvider& data,
                      SilentPrompt& prompt) {
    FixedClock clock;
    StoreWriter writer(prompt, clock);
    if (writer.Open(WorkDir()) != Result::Ok) return;
    const std::string symbol = symbols.empty() ? "NONE" : symbols.front();
    (void)writer.RenameSecurity(symbol, data.ConsumeRandomLengthString(40), "RENAMED");
    if (writer.OpenPriceFileForWrite("RENAMED", false) == Result::Ok) {
        (void)writer.GetLastBarDate();
        (void)writer.AppendBar({data.ConsumeIntegral<int>(), data.ConsumeFloatingPoint<float>(), 1,
                                1, 1, data.ConsumeFloatingPoint<float>(), 0});
        (void)writer.OverwriteLastBar({1050315, 1, 1, 1, 1, 1, 0});
        (void)writer.ClosePriceFile();
    }
    (void)writer.UpdateSecurityInfo("RENAMED", data.ConsumeIntegral<int>(), 1050315, 'w');
    (void)writer.DeleteSecurity(symbols.size() > 1 ? symbols[1] : "RENAMED");
    (void)writer.AddSecurity(data.ConsumeRandomLengthString(20), "NEW", 'D');
    writer.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    std::filesystem::remove_all(WorkDir());
    std::filesystem::create_directories(WorkDir());
    for (const char* name : {"MASTER", "EMASTER", "XMASTER", "F1.DAT", "F2.DAT", "F256.MWD"}) {
        if (data.ConsumeBool()) Write(name, data.ConsumeRandomLengthString(2000));
    }
    SilentPrompt prompt;
    const std::vector<std::string> symbols = ReadEverything(prompt);
    ChangeEverything(symbols, data, prompt);
    ReadEverything(prompt);
    return 0;
}
