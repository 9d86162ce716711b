#include "StoreFixture.h"

#include <fstream>

#include "Coding.h"

namespace corvane::test {

void StoreFixture::CreateAndOpen() {
    ASSERT_EQ(writer_.CreateDirectory(Dir()), Result::Ok);
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
}

void StoreFixture::AddSecurities(int count, const std::string& prefix) {
    for (int i = 1; i <= count; ++i)
        ASSERT_EQ(writer_.AddSecurity(prefix + std::to_string(i), "Name " + std::to_string(i), 'D'),
                  Result::Ok);
}

void StoreFixture::AppendBars(const std::string& symbol, int count, std::int32_t firstDate) {
    ASSERT_EQ(writer_.OpenPriceFileForWrite(symbol, false), Result::Ok);
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(writer_.AppendBar(MakeBar(firstDate + i, 10.0f + static_cast<float>(i))),
                  Result::Ok);
    ASSERT_EQ(writer_.ClosePriceFile(), Result::Ok);
}

std::vector<std::uint8_t> StoreFixture::Bytes(const std::string& name) const {
    return ReadBytes(PathOf(name));
}

std::uint64_t StoreFixture::SizeOf(const std::string& name) const {
    return std::filesystem::file_size(PathOf(name));
}

bool StoreFixture::Exists(const std::string& name) const {
    return std::filesystem::exists(PathOf(name));
}

std::uint16_t StoreFixture::U16At(const std::string& name, std::size_t offset) const {
    return DecodeU16(Bytes(name), offset);
}

void StoreFixture::SetU16(const std::string& name, std::size_t offset, std::uint16_t value) {
    auto bytes = Bytes(name);
    EncodeU16(bytes, offset, value);
    WriteBytes(PathOf(name), bytes);
}

void StoreFixture::SetU32(const std::string& name, std::size_t offset, std::uint32_t value) {
    auto bytes = Bytes(name);
    EncodeU32(bytes, offset, value);
    WriteBytes(PathOf(name), bytes);
}

void StoreFixture::TruncateBy(const std::string& name, std::uint64_t bytes) {
    std::filesystem::resize_file(PathOf(name), SizeOf(name) - bytes);
}

std::vector<SecurityRecord> StoreFixture::Entries() {
    std::vector<SecurityRecord> entries;
    StoreReader reader(prompt_);
    if (reader.Open(Dir()) != Result::Ok) return entries;
    while (reader.GetRemainingSecurities() > 0) {
        reader.NextSecurity();
        entries.push_back(reader.CurrentSecurity());
    }
    reader.Close();
    return entries;
}

std::vector<std::string> StoreFixture::Symbols() {
    std::vector<std::string> symbols;
    for (const auto& entry : Entries()) symbols.push_back(entry.symbol);
    return symbols;
}

std::vector<PriceBar> StoreFixture::Bars(const std::string& symbol) {
    std::vector<PriceBar> bars;
    StoreReader reader(prompt_);
    if (reader.Open(Dir()) != Result::Ok) return bars;
    if (reader.OpenPriceFileBySymbol(symbol) == Result::Ok) {
        while (reader.GetRemainingBars() > 0) {
            reader.ReadNextBar();
            bars.push_back(reader.CurrentBar());
        }
    }
    reader.Close();
    return bars;
}

PriceBar MakeBar(std::int32_t date, float close) {
    return PriceBar{date, close - 1, close + 1, close - 2, close, 1000.0f, 0.0f};
}

}  // namespace corvane::test
