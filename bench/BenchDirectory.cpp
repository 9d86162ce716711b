#include "BenchDirectory.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "CalendarDate.h"
#include "Coding.h"
#include "DirectoryFiles.h"
#include "IndexRecords.h"
#include "Layout.h"
#include "PriceFile.h"

namespace corvane::bench {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;
namespace p = layout::price;

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::string Symbol(const std::string& prefix, int i) {
    return prefix + std::to_string(i);
}

std::vector<PriceBar> WeekdayBars(int count, std::int32_t first) {
    std::vector<PriceBar> bars;
    for (std::int32_t d = first; static_cast<int>(bars.size()) < count; d = AddDays(d, 1)) {
        if (DayOfWeek(d) == 0 || DayOfWeek(d) == 6) continue;
        const float close = 10.0f + static_cast<float>(bars.size() % 97) * 0.25f;
        bars.push_back({TruncateToInt(ToShortDate(d)), close, close + 1, close - 1, close,
                        1e5f + static_cast<float>(bars.size()), 0});
    }
    return bars;
}

void WriteDataDirectory(const std::filesystem::path& directory, const std::string& prefix,
                        int count, const std::vector<PriceBar>& bars, std::int32_t emptyDate) {
    std::filesystem::create_directories(directory);
    const int low = std::min(count, m::kMaxLowEntries);
    const int extended = count - low;
    std::vector<std::uint8_t> master(m::kHeaderSize), emaster(e::kHeaderSize),
        xmaster(x::kHeaderSize);
    EncodeU16(master, m::kCount, static_cast<std::uint16_t>(low));
    EncodeU16(master, m::kHighestNumber, static_cast<std::uint16_t>(low));
    EncodeU16(emaster, e::kCount, static_cast<std::uint16_t>(low));
    EncodeU16(emaster, e::kHighestNumber, static_cast<std::uint16_t>(low));
    std::copy(x::kMagic.begin(), x::kMagic.end(), xmaster.begin());
    EncodeU32(xmaster, x::kCountCopy, static_cast<std::uint32_t>(extended));
    EncodeU32(xmaster, x::kCount, static_cast<std::uint32_t>(extended));
    EncodeU32(xmaster, x::kNextNumber, x::kFirstNumber + static_cast<std::uint32_t>(extended));

    std::vector<std::uint8_t> prices(p::kHeaderSize);
    EncodeU16(prices, p::kCount, static_cast<std::uint16_t>(bars.size() + 1));
    for (const PriceBar& bar : bars) {
        const auto record = EncodePriceRecord(bar);
        prices.insert(prices.end(), record->begin(), record->end());
    }
    const std::int32_t first = bars.empty() ? emptyDate : ToLongDate(bars.front().date);
    const std::int32_t last = bars.empty() ? emptyDate : ToLongDate(bars.back().date);
    for (int i = 0; i < count; ++i) {
        const bool isLow = i < low;
        const auto number = static_cast<std::uint16_t>(isLow ? i + 1 : 256 + (i - low));
        NewEntry entry{Symbol(prefix, i), Symbol(prefix, i), 'D', number, first, last};
        if (isLow) {
            entry.firstDate = TruncateToInt(ToShortDate(first));
            entry.lastDate = TruncateToInt(ToShortDate(last));
            const auto m1 = BuildMasterRecord(entry);
            const auto e1 = BuildEmasterRecord(entry);
            master.insert(master.end(), m1.begin(), m1.end());
            emaster.insert(emaster.end(), e1.begin(), e1.end());
        } else {
            const auto x1 = BuildXmasterRecord(entry);
            xmaster.insert(xmaster.end(), x1.begin(), x1.end());
        }
        WriteFile(directory / PriceFileName(number, !isLow), prices);
    }
    WriteFile(directory / "MASTER", master);
    WriteFile(directory / "EMASTER", emaster);
    if (extended > 0) WriteFile(directory / "XMASTER", xmaster);
}

std::uint64_t ReadEveryFile(const std::filesystem::path& directory) {
    static std::vector<char> buffer(1 << 20);
    std::uint64_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        std::FILE* file = std::fopen(entry.path().c_str(), "rb");
        if (file == nullptr) continue;
        std::size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) total += got;
        std::fclose(file);
    }
    return total;
}

double MedianSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        const auto began = std::chrono::steady_clock::now();
        work();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

ScratchDir::ScratchDir(const std::string& name)
    : path_(std::filesystem::temp_directory_path() / ("corvane-bench-" + name)) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

}  // namespace corvane::bench
