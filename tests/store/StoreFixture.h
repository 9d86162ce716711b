#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FixedClock.h"
#include "RecordingPrompt.h"
#include "SecurityRecord.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {

// A data directory in a temp folder, with verbs to build it, bend its bytes
// and read it back, so that each test reads as a short script.
class StoreFixture : public ::testing::Test {
protected:
    StoreFixture() : writer_(prompt_, clock_), reader_(prompt_) {}

    const std::filesystem::path& Dir() const { return dir_.Path(); }
    std::filesystem::path PathOf(const std::string& name) const { return dir_ / name; }

    // Creates the directory and leaves the writer open on it.
    void CreateAndOpen();
    // Adds securities named <prefix>1, <prefix>2, ... through the open writer.
    void AddSecurities(int count, const std::string& prefix = "S");
    void AppendBars(const std::string& symbol, int count, std::int32_t firstDate = 1050101);

    std::vector<std::uint8_t> Bytes(const std::string& name) const;
    std::uint64_t SizeOf(const std::string& name) const;
    bool Exists(const std::string& name) const;
    std::uint16_t U16At(const std::string& name, std::size_t offset) const;
    void SetU16(const std::string& name, std::size_t offset, std::uint16_t value);
    void SetU32(const std::string& name, std::size_t offset, std::uint32_t value);
    void TruncateBy(const std::string& name, std::uint64_t bytes);

    // Every entry as a fresh reader enumerates it.
    std::vector<SecurityRecord> Entries();
    std::vector<std::string> Symbols();
    // Every bar of a security as a fresh reader reads it.
    std::vector<PriceBar> Bars(const std::string& symbol);

    TempDir dir_;
    RecordingPrompt prompt_;
    FixedClock clock_;
    StoreWriter writer_;
    StoreReader reader_;
};

PriceBar MakeBar(std::int32_t date, float close);

}  // namespace corvane::test
