#include "TransferText.h"

#include <algorithm>
#include <optional>
#include <regex>

#include "DirectoryFiles.h"
#include "SecurityTransfer.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

// Answers every store message silently: used where a failed lookup is an
// expected answer, not something to tell the user.
class SilentPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

void Tell(Prompt& prompt, const std::string& text, PromptIcon icon = PromptIcon::Warning) {
    (void)prompt.Show(text, kAppCaption, icon, PromptButtons::Ok);
}

TransferLine LineFor(const StoreReader& reader, const fs::path& directory, bool cut) {
    TransferLine line;
    line.cut = cut;
    line.priceFilePath = (directory / reader.GetPriceFileName()).string();
    line.symbol = reader.GetSymbol();
    line.name = reader.GetName();
    line.periodicity = reader.GetPeriodicity();
    line.firstDate = reader.GetFirstDate();
    line.lastDate = reader.GetLastDate();
    return line;
}

bool IsPriceFileName(const std::string& name) {
    static const std::regex pattern("F[0-9]+\\.(DAT|MWD)", std::regex::icase);
    return std::regex_match(name, pattern);
}

// The line names a price file of a data directory, and that directory's
// entry with the line's symbol has exactly that price file.
bool DescribesStoredSecurity(const TransferLine& line) {
    const fs::path path(line.priceFilePath);
    if (!path.is_absolute() || !IsPriceFileName(path.filename().string())) return false;
    const fs::path directory = path.parent_path();
    SilentPrompt silent;
    StoreReader reader(silent);
    if (!StoreReader::IsDataDirectory(directory) || !Succeeded(reader.Open(directory)))
        return false;
    const bool matches = reader.SeekSymbol(line.symbol) &&
                         EqualsNoCase(reader.GetPriceFileName(), path.filename().string());
    reader.Close();
    return matches;
}

bool SameDirectory(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// Deleting a directory's last security removes its index files, so a paste
// that overwrote it creates them again. A folder in use or damaged is left
// alone, with a message.
bool OpenOrCreate(Prompt& prompt, StoreWriter& writer, const fs::path& directory) {
    if (Succeeded(writer.Open(directory))) return true;
    if (writer.GetOpenFailure() == StoreWriter::OpenFailure::NotDataDirectory &&
        Succeeded(writer.CreateDirectory(directory)) && Succeeded(writer.Open(directory)))
        return true;
    Tell(prompt, writer.OpenFailureMessage());
    return false;
}

void TellFailure(Prompt& prompt, const StoreWriter& writer, const std::string& what) {
    if (!writer.LastFailureShown()) Tell(prompt, what + ": " + writer.LastFailure() + ".");
}

enum class Overwrite { Proceed, Skip, Stop };

Overwrite ClearExisting(Prompt& prompt, StoreWriter& writer, const fs::path& target,
                        const std::string& symbol, PasteListener& listener) {
    if (!Succeeded(writer.Open(target))) return Overwrite::Proceed;  // the add says why
    const bool exists = Succeeded(writer.OpenPriceFileBySymbol(symbol));
    (void)writer.ClosePriceFile();  // only looked for; nothing was written
    if (!exists) {
        writer.Close();
        return Overwrite::Proceed;
    }
    const PromptAnswer answer =
        prompt.Show("Security " + symbol + " already exists. Do you want to overwrite it?",
                    kAppCaption, PromptIcon::Question, PromptButtons::YesNoCancel);
    if (answer != PromptAnswer::Yes) {
        writer.Close();
        return answer == PromptAnswer::Cancel ? Overwrite::Stop : Overwrite::Skip;
    }
    const Result deleted = writer.DeleteSecurity(symbol);
    writer.Close();
    if (!Succeeded(deleted)) {
        TellFailure(prompt, writer, "Security " + symbol + " could not be overwritten");
        return Overwrite::Skip;
    }
    listener.RemoveRow(symbol);
    return Overwrite::Proceed;
}

// Adds the entry and copies the source's bars into it in one step; when that
// fails the new entry is removed again and the source stays as it was.
bool AddCopy(Prompt& prompt, StoreWriter& writer, const fs::path& target,
             const TransferLine& line) {
    fs::path newPriceFile;
    if (!OpenOrCreate(prompt, writer, target)) return false;
    if (!Succeeded(writer.AddSecurityWithDates(line.symbol, line.name, line.periodicity,
                                               line.firstDate, line.lastDate, newPriceFile))) {
        TellFailure(prompt, writer, "Security " + line.symbol + " was not pasted");
        writer.Close();
        return false;
    }
    const bool copied = Succeeded(writer.CopyPriceFileFrom(line.symbol, line.priceFilePath));
    if (!copied) {
        const std::string why = writer.LastFailure();
        if (Succeeded(writer.DeleteSecurity(line.symbol)))
            Tell(prompt, "The bars of security " + line.symbol + " could not be copied (" + why +
                             "); it was not pasted.");
        else
            Tell(prompt, "The bars of security " + line.symbol + " could not be copied (" + why +
                             "), and its new entry could not be removed again (" +
                             writer.LastFailure() + "): it stays in " + target.string() +
                             " without bars.");
    }
    writer.Close();
    return copied;
}

// The bars are safe in the target already; a source that cannot be removed
// stays, and the user is told.
void DeleteSource(Prompt& prompt, StoreWriter& writer, const TransferLine& line) {
    const fs::path source = fs::path(line.priceFilePath).parent_path();
    if (!Succeeded(writer.Open(source))) {
        Tell(prompt, writer.OpenFailureMessage() + " Security " + line.symbol +
                         " was copied and stays there too.");
        return;
    }
    if (!Succeeded(writer.DeleteSecurity(line.symbol)))
        TellFailure(
            prompt, writer,
            "Security " + line.symbol + " was copied but not removed from " + source.string());
    writer.Close();
}

SecurityRecord RecordOf(const TransferLine& line) {
    SecurityRecord record;
    record.symbol = line.symbol;
    record.name = line.name;
    record.periodicity = line.periodicity;
    record.firstDate = line.firstDate;
    record.lastDate = line.lastDate;
    return record;
}

}  // namespace

std::string BuildTransferText(Prompt& prompt, const fs::path& directory,
                              const std::vector<std::string>& symbols, bool cut) {
    std::string text;
    StoreReader reader(prompt);
    for (const std::string& symbol : symbols) {
        if (!Succeeded(reader.Open(directory))) return {};
        const bool found = reader.SeekSymbol(symbol);
        if (found && (!CanTravel(reader.GetSymbol()) || !CanTravel(reader.GetName())))
            Tell(prompt,
                 "Security " + symbol +
                     " cannot be copied: its symbol or name holds a comma or a line break.");
        else if (found)
            text += FormatTransferLine(LineFor(reader, directory, cut));
        reader.Close();
    }
    return text;
}

Result PasteTransferText(Prompt& prompt, const Clock& clock, const fs::path& target,
                         std::string_view text, PasteListener& listener) {
    StoreWriter writer(prompt, clock);
    if (!OpenOrCreate(prompt, writer, target)) return Result::Failed;
    writer.Close();
    int lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view rawLine = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (rawLine.empty() || rawLine == "\r") continue;
        const std::optional<TransferLine> line = ParseTransferLine(rawLine);
        if (!line || !DescribesStoredSecurity(*line)) {
            Tell(prompt, "Clipboard line " + std::to_string(lineNumber) +
                             " does not describe a stored security and was skipped.");
            continue;
        }
        if (SameDirectory(fs::path(line->priceFilePath).parent_path(), target)) continue;
        const Overwrite overwrite = ClearExisting(prompt, writer, target, line->symbol, listener);
        if (overwrite == Overwrite::Stop) break;
        if (overwrite == Overwrite::Skip || !AddCopy(prompt, writer, target, *line)) continue;
        if (line->cut) DeleteSource(prompt, writer, *line);
        listener.AddRow(RecordOf(*line));
    }
    return Result::Ok;
}

}  // namespace corvane
