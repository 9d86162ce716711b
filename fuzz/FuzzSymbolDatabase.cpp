// Reads fuzzed bytes as the symbol database and as a customized list, and
// asks for every list the lists dialog can show.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "SymbolDatabase.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFile =
    fs::temp_directory_path() / ("corvane-fuzz-symbols-" + std::to_string(::getpid()) + ".dta");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace corvane;
    static const bool cleanupRegistered = [] {
        return std::atexit([] {
                   std::error_code ignored;
                   fs::remove(kFile, ignored);
               }) == 0;
    }();
    (void)cleanupRegistered;
    {
        std::ofstream out(kFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    (void)ReadCustomList(kFile);
    const std::optional<SymbolDatabase> database = SymbolDatabase::Load(kFile);
    if (!database) return 0;
    (void)database->Exchanges();
    (void)database->UsIndexGroups();
    (void)database->WorldIndexGroups();
    (void)database->UsEtfGroups();
    (void)database->WorldEtfGroups();
    (void)database->Section("[FOREX]");
    for (int sector = 0; sector <= kSectorCount + 1; ++sector) {
        (void)database->Industries(sector);
        (void)database->SectorEntries(sector);
    }
    for (std::size_t i = 0; i < database->Exchanges().size() && i < 64; ++i)
        (void)database->Section("[Market" + std::to_string(i + 1) + "]");
    for (int j = 1; j <= 12; ++j) {
        (void)database->Section("[Index" + std::to_string(j) + "]");
        (void)database->Section("[ETF" + std::to_string(j) + "]");
    }
    return 0;
}
