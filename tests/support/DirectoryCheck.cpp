#include "DirectoryCheck.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <set>

#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct Entry {
    std::string symbol;
    unsigned fileNumber = 0;
    bool extended = false;
    std::int64_t first = 0;  // YYYYMMDD
    std::int64_t last = 0;
};

unsigned U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::string Text(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t width) {
    std::string text(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + width));
    return text.substr(0, text.find('\0'));
}
float Ieee(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::bit_cast<float>(U32(b, at));
}
// Microsoft Binary Format single, decoded here without the store's code.
float Mbf(const std::vector<std::uint8_t>& b, std::size_t at) {
    const std::uint32_t w = U32(b, at);
    const std::uint32_t exponent = w >> 24;
    if (exponent < 2) return 0;
    return std::bit_cast<float>((((w >> 23) & 1) << 31) | ((exponent - 2) << 23) | (w & 0x7FFFFF));
}
std::int64_t LongDate(std::int64_t date) {
    return date > 10'000'000 ? date : date + 19'000'000;
}
// A first date worth believing (YYYYMMDD or CYYMMDD): a day of the calendar
// from 1900-01-02 to 2099-12-31, not after the last date. MetaStock leaves
// 1900-01-01 in XMASTER's first date at 104 while 108 holds the first bar's.
bool PlausibleFirst(std::int64_t first, std::int64_t last) {
    const std::int64_t date = LongDate(first);
    if (date <= 19000101 || date > 20991231 || date > LongDate(last)) return false;
    const std::int64_t year = date / 10000, month = date / 100 % 100, day = date % 100;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 && day >= 1 && day <= days[month - 1];
}
// The store's rule for XMASTER's two first-date copies: 104 unless it is not
// plausible and 108 is.
std::int64_t XmasterFirst(const std::vector<std::uint8_t>& x, std::size_t record) {
    const std::int64_t at104 = static_cast<std::int32_t>(U32(x, record + 104));
    const std::int64_t at108 = static_cast<std::int32_t>(U32(x, record + 108));
    const std::int64_t last = static_cast<std::int32_t>(U32(x, record + 116));
    return !PlausibleFirst(at104, last) && PlausibleFirst(at108, last) ? at108 : at104;
}
std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
std::string PriceName(const Entry& e) {
    return "F" + std::to_string(e.fileNumber) + (e.extended ? ".MWD" : ".DAT");
}

// File names in upper case mapped to their real paths.
std::map<std::string, fs::path> Files(const fs::path& directory) {
    std::map<std::string, fs::path> files;
    for (const auto& item : fs::directory_iterator(directory))
        files[Upper(item.path().filename().string())] = item.path();
    return files;
}

std::vector<Entry> ReadEntries(const std::map<std::string, fs::path>& files,
                               std::vector<std::string>& problems) {
    std::vector<Entry> entries;
    const bool hasMaster = files.count("MASTER") > 0, hasEmaster = files.count("EMASTER") > 0;
    if (!hasMaster && !hasEmaster) return entries;
    if (hasMaster != hasEmaster) {
        problems.push_back(std::string(hasMaster ? "EMASTER" : "MASTER") + " is missing");
        return entries;
    }
    const auto master = ReadBytes(files.at("MASTER"));
    const auto emaster = ReadBytes(files.at("EMASTER"));
    if (master.size() < 53 || emaster.size() < 192) {
        problems.push_back("an index header is short");
        return entries;
    }
    const unsigned masterCount = U16(master, 0), emasterCount = U16(emaster, 0);
    if (master.size() != 53u * (masterCount + 1))
        problems.push_back("MASTER size and count differ");
    if (emaster.size() != 192u * (emasterCount + 1))
        problems.push_back("EMASTER size and count differ");
    if (masterCount != emasterCount) problems.push_back("MASTER and EMASTER counts differ");
    const unsigned low =
        std::min({masterCount, emasterCount, static_cast<unsigned>(master.size() / 53 - 1),
                  static_cast<unsigned>(emaster.size() / 192 - 1)});
    for (unsigned i = 1; i <= low; ++i) {
        Entry e{Text(emaster, 192 * i + 11, 14), U16(emaster, 192 * i + 2), false,
                LongDate(static_cast<std::int64_t>(Ieee(emaster, 192 * i + 64))),
                LongDate(static_cast<std::int64_t>(Ieee(emaster, 192 * i + 72)))};
        std::string masterSymbol = Text(master, 53 * i + 36, 14);
        masterSymbol = masterSymbol.substr(0, masterSymbol.find(' '));
        if (Upper(masterSymbol) != Upper(e.symbol) || master[53 * i] != e.fileNumber)
            problems.push_back("MASTER record " + std::to_string(i) + " (" + masterSymbol +
                               ") differs from EMASTER's (" + e.symbol + ")");
        if (LongDate(static_cast<std::int64_t>(Mbf(master, 53 * i + 25))) != e.first ||
            LongDate(static_cast<std::int64_t>(Mbf(master, 53 * i + 29))) != e.last)
            problems.push_back("MASTER dates of " + e.symbol + " differ from EMASTER's");
        entries.push_back(e);
    }
    if (files.count("XMASTER")) {
        const auto xmaster = ReadBytes(files.at("XMASTER"));
        if (xmaster.size() < 150) {
            problems.push_back("XMASTER header is short");
            return entries;
        }
        const std::uint32_t count = U32(xmaster, 14);
        if (U32(xmaster, 10) != count) problems.push_back("XMASTER count copies differ");
        if (xmaster.size() != 150u * (count + 1))
            problems.push_back("XMASTER size and count differ");
        if (count == 0) problems.push_back("XMASTER without entries");
        for (std::uint32_t i = 1; i <= count && 150u * (i + 1) <= xmaster.size(); ++i)
            entries.push_back({Text(xmaster, 150 * i + 1, 14), U16(xmaster, 150 * i + 65), true,
                               XmasterFirst(xmaster, 150 * i), U32(xmaster, 150 * i + 116)});
    }
    return entries;
}

}  // namespace

std::vector<std::string> CheckDirectory(const fs::path& directory) {
    std::vector<std::string> problems;
    const auto files = Files(directory);
    const std::vector<Entry> entries = ReadEntries(files, problems);
    std::set<std::string> named;
    std::set<std::string> symbols;
    for (const Entry& e : entries) {
        const std::string name = PriceName(e);
        if (!named.insert(name).second) problems.push_back("two entries name " + name);
        if (!symbols.insert(Upper(e.symbol)).second)
            problems.push_back("two entries are " + e.symbol);
        if (!files.count(name)) {
            problems.push_back(e.symbol + ": " + name + " is missing");
            continue;
        }
        const auto bytes = ReadBytes(files.at(name));
        if (bytes.size() < 28 || bytes.size() % 28 != 0) {
            problems.push_back(name + " has a partial record");
            continue;
        }
        const std::size_t bars = bytes.size() / 28 - 1;
        if (static_cast<std::int16_t>(U16(bytes, 2)) != static_cast<int>(bars + 1))
            problems.push_back(name + " count differs from its size");
        if (bars == 0) continue;
        const auto first = LongDate(static_cast<std::int64_t>(Mbf(bytes, 28)));
        const auto last = LongDate(static_cast<std::int64_t>(Mbf(bytes, 28 * bars)));
        if (first != e.first || last != e.last)
            problems.push_back(e.symbol + ": index dates " + std::to_string(e.first) + "-" +
                               std::to_string(e.last) + ", bars " + std::to_string(first) + "-" +
                               std::to_string(last));
        for (std::size_t k = 2; k <= bars; ++k)
            if (Mbf(bytes, 28 * k) <= Mbf(bytes, 28 * (k - 1)))
                problems.push_back(e.symbol + ": bars out of date order at " + std::to_string(k));
    }
    for (const auto& [upper, path] : files) {
        const bool priceFile = upper.size() > 5 && upper[0] == 'F' &&
                               (upper.ends_with(".DAT") || upper.ends_with(".MWD"));
        if (priceFile && !named.count(upper)) problems.push_back("orphan price file " + upper);
        const bool pending = upper == "CORVANE.INTENT" && fs::file_size(path) > 0;
        if (pending || upper.ends_with(".CORVANE-NEW"))
            problems.push_back("unfinished change: " + path.filename().string());
    }
    return problems;
}

BarRecords ReadAllBars(const fs::path& directory) {
    BarRecords all;
    std::vector<std::string> ignored;
    const auto files = Files(directory);
    for (const Entry& e : ReadEntries(files, ignored)) {
        auto& bars = all[e.symbol];
        if (!files.count(PriceName(e))) continue;
        const auto bytes = ReadBytes(files.at(PriceName(e)));
        for (std::size_t at = 28; at + 28 <= bytes.size(); at += 28)
            bars.emplace_back(bytes.begin() + static_cast<long>(at),
                              bytes.begin() + static_cast<long>(at + 28));
    }
    return all;
}

}  // namespace corvane::test
