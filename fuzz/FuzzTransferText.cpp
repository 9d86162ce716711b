// Pastes fuzzed clipboard text between two real data directories. "@SRC@" in
// the input stands for the source directory, so that the fuzzer reaches lines
// that name real price files. Whatever the text, the source's securities
// must never be lost unless a well-formed cut line moved them.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "SecurityTransfer.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TransferText.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane;

class AnsweringPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon,
                      PromptButtons buttons) override {
        ++count_;
        if (buttons != PromptButtons::YesNoCancel) return PromptAnswer::Ok;
        return count_ % 3 == 0   ? PromptAnswer::Cancel
               : count_ % 3 == 1 ? PromptAnswer::Yes
                                 : PromptAnswer::No;
    }

private:
    int count_ = 0;
};

class FixedClock : public Clock {
public:
    LocalDateTime Now() const override { return {2005, 3, 15, 12, 0, 0, 2}; }
};

class NoList : public PasteListener {
public:
    void RemoveRow(const std::string&) override {}
    void AddRow(const SecurityRecord&) override {}
};

const fs::path kRoot =
    fs::temp_directory_path() / ("corvane-fuzz-transfer-" + std::to_string(::getpid()));

void MakeSource(Prompt& prompt, const Clock& clock) {
    StoreWriter writer(prompt, clock);
    if (!Succeeded(writer.CreateDirectory(kRoot / "src")) || !Succeeded(writer.Open(kRoot / "src")))
        std::abort();
    for (const char* symbol : {"IBM", "MSFT"}) (void)writer.AddSecurity(symbol, symbol, 'D');
    writer.Close();
}

std::string Expand(std::string text) {
    const std::string token = "@SRC@";
    const std::string source = (kRoot / "src").string();
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + source.size()))
        text.replace(at, token.size(), source);
    return text;
}

bool Holds(const fs::path& directory, const std::string& symbol) {
    AnsweringPrompt silent;
    StoreReader reader(silent);
    if (!Succeeded(reader.Open(directory))) return false;
    const bool found = reader.SeekSymbol(symbol);
    reader.Close();
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const bool cleanupRegistered = [] {
        return std::atexit([] {
                   std::error_code ignored;
                   fs::remove_all(kRoot, ignored);
               }) == 0;
    }();
    (void)cleanupRegistered;
    std::error_code error;
    fs::remove_all(kRoot, error);
    AnsweringPrompt prompt;
    FixedClock clock;
    MakeSource(prompt, clock);
    const std::string text = Expand(std::string(reinterpret_cast<const char*>(bytes), size));
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        (void)ParseTransferLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
    NoList list;
    (void)PasteTransferText(prompt, clock, kRoot / "dst", text, list);
    (void)PasteTransferText(prompt, clock, kRoot / "src", text, list);
    for (const char* symbol : {"IBM", "MSFT"})
        if (!Holds(kRoot / "src", symbol) && !Holds(kRoot / "dst", symbol)) std::abort();
    return 0;
}
