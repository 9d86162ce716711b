#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "PriceBar.h"
#include "Prompt.h"

namespace corvane::bench {

class SilentPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

// "<prefix><i>".
std::string Symbol(const std::string& prefix, int i);

// Daily bars of the weekdays from `first` (YYYYMMDD) on, prices in a saw
// tooth, as the store keeps them (CYYMMDD dates).
std::vector<PriceBar> WeekdayBars(int count, std::int32_t first);

// A data directory of `count` securities <prefix>0, <prefix>1, ... (the
// first 255 low entries, the rest extended) written straight to disk in the
// store's layouts, each with `bars`: fixtures of thousands of securities in
// seconds, where adding them one by one through a writer would take minutes.
// Without bars an entry is dated `emptyDate` (YYYYMMDD) as new entries are.
void WriteDataDirectory(const std::filesystem::path& directory, const std::string& prefix,
                        int count, const std::vector<PriceBar>& bars,
                        std::int32_t emptyDate = 20221228);

// Every file of the folder read whole: the plain read of the same bytes that
// a run over the directory reads. Returns the bytes read.
std::uint64_t ReadEveryFile(const std::filesystem::path& directory);

// The median of `runs` timings of `work`, in seconds.
double MedianSeconds(int runs, const std::function<void()>& work);

// A folder of its own under the temporary directory ($TMPDIR; point it at a
// RAM disk to leave out the disk's flushes), removed when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace corvane::bench
