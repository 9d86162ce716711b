#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Clock.h"
#include "Prompt.h"
#include "Result.h"
#include "SecurityRecord.h"

namespace corvane {

// The clipboard text for the given securities of a directory, one line per
// symbol found (symbols compared exactly), in the given order. A security
// whose symbol or name cannot travel is left out with a message. Empty when
// the directory cannot be opened.
std::string BuildTransferText(Prompt& prompt, const std::filesystem::path& directory,
                              const std::vector<std::string>& symbols, bool cut);

// What a paste does to the list of the directory pasted into.
class PasteListener {
public:
    virtual ~PasteListener() = default;
    virtual void RemoveRow(const std::string& symbol) = 0;
    virtual void AddRow(const SecurityRecord& security) = 0;
};

// Pastes the securities a transfer text describes into `target`, creating
// its index files when missing. Lines that do not truly describe a stored
// security are skipped with a message; a line whose source is `target`
// itself is skipped, since pasting it would delete it first. An existing
// symbol asks before it is overwritten (Cancel ends the paste). A cut
// deletes the source only after its bars were copied. Failed only when the
// target directory can be neither opened nor created.
Result PasteTransferText(Prompt& prompt, const Clock& clock, const std::filesystem::path& target,
                         std::string_view text, PasteListener& listener);

}  // namespace corvane
