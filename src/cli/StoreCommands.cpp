#include "StoreCommands.h"

#include <cstdio>

#include "CliApp.h"
#include "Coding.h"
#include "StoreCheck.h"
#include "StoreMessages.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane {
namespace {

void Warn(CliContext& context, const std::string& text) {
    context.prompt.Show(text, kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
}

// Numbers as "%.9g" whatever the user's locale: other programs parse them.
std::string FormatNumber(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return buffer;
}

bool OpenForReading(StoreReader& reader, const std::string& directory, CliContext& context) {
    if (reader.Open(directory) == Result::Ok) return true;
    Warn(context, "Can not open data directory " + directory + ".");
    return false;
}

bool OpenForUpdate(StoreWriter& writer, const std::string& directory, CliContext& context) {
    if (writer.Open(directory, context.wait) == Result::Ok) return true;
    Warn(context, writer.OpenFailureMessage());
    return false;
}

// A failed change, told once: the writer has shown its own refusals.
int Failure(CliContext& context, const StoreWriter& writer, const std::string& what) {
    if (!writer.LastFailureShown()) Warn(context, what + ": " + writer.LastFailure() + ".");
    return kExitFailure;
}

}  // namespace

int CreateCommand(const CommandLine& line, CliContext& context) {
    StoreWriter writer(context.prompt, context.clock);
    const std::string& directory = line.Positional().at(0);
    if (writer.CreateDirectory(directory) == Result::Ok) return kExitOk;
    Warn(context, writer.OpenFailureMessage());
    return kExitFailure;
}

int ListCommand(const CommandLine& line, CliContext& context) {
    StoreReader reader(context.prompt);
    if (!OpenForReading(reader, line.Positional().at(0), context)) return kExitFailure;
    while (reader.GetRemainingSecurities() > 0) {
        reader.NextSecurity();
        context.out << reader.GetSymbol() << '\t' << reader.GetName() << '\t'
                    << reader.GetPeriodicity() << '\t' << ToLongDate(reader.GetFirstDate()) << '\t'
                    << ToLongDate(reader.GetLastDate()) << '\t' << reader.GetPriceFileName()
                    << '\n';
    }
    reader.Close();
    return kExitOk;
}

int BarsCommand(const CommandLine& line, CliContext& context) {
    StoreReader reader(context.prompt);
    if (!OpenForReading(reader, line.Positional().at(0), context)) return kExitFailure;
    if (reader.OpenPriceFileBySymbol(line.Positional().at(1)) != Result::Ok) {
        reader.Close();
        return kExitFailure;
    }
    while (reader.GetRemainingBars() > 0) {
        reader.ReadNextBar();
        const PriceBar& bar = reader.CurrentBar();
        context.out << ToLongDate(bar.date) << '\t' << FormatNumber(bar.open) << '\t'
                    << FormatNumber(bar.high) << '\t' << FormatNumber(bar.low) << '\t'
                    << FormatNumber(bar.close) << '\t' << FormatNumber(bar.volume) << '\t'
                    << FormatNumber(bar.openInterest) << '\n';
    }
    reader.Close();
    return kExitOk;
}

int AddCommand(const CommandLine& line, CliContext& context) {
    const std::string& directory = line.Positional().at(0);
    const std::string& symbol = line.Positional().at(1);
    const std::string name = line.Positional().size() > 2 ? line.Positional()[2] : symbol;
    const char periodicity = line.Value("--periodicity").value_or("D").at(0);
    StoreWriter writer(context.prompt, context.clock);
    // A folder that is not yet a data directory becomes one; one that is in
    // use or damaged is left alone.
    if (writer.Open(directory, context.wait) != Result::Ok &&
        (writer.GetOpenFailure() != StoreWriter::OpenFailure::NotDataDirectory ||
         writer.CreateDirectory(directory) != Result::Ok ||
         writer.Open(directory, context.wait) != Result::Ok)) {
        Warn(context, writer.OpenFailureMessage());
        return kExitFailure;
    }
    const Result result = writer.AddSecurity(symbol, name, periodicity);
    writer.Close();
    return result == Result::Ok ? kExitOk
                                : Failure(context, writer, "Can not add security " + symbol);
}

int DeleteCommand(const CommandLine& line, CliContext& context) {
    StoreWriter writer(context.prompt, context.clock);
    const std::string& directory = line.Positional().at(0);
    int status = kExitOk;
    for (std::size_t i = 1; i < line.Positional().size(); ++i) {
        const std::string& symbol = line.Positional()[i];
        if (writer.Open(directory, context.wait) != Result::Ok) {
            if (i == 1 || writer.GetOpenFailure() != StoreWriter::OpenFailure::NotDataDirectory) {
                Warn(context, writer.OpenFailureMessage());
                return kExitFailure;
            }
            // An earlier deletion took the last entry, and the index files with it.
            context.prompt.Show(kCanNotFindSecurity + symbol, kStoreCaption, PromptIcon::None,
                                PromptButtons::Ok);
            status = kExitFailure;
            continue;
        }
        if (writer.DeleteSecurity(symbol) != Result::Ok)
            status = Failure(context, writer, "Can not delete security " + symbol);
        writer.Close();
    }
    return status;
}

int RenameCommand(const CommandLine& line, CliContext& context) {
    StoreWriter writer(context.prompt, context.clock);
    const std::string& directory = line.Positional().at(0);
    if (!OpenForUpdate(writer, directory, context)) return kExitFailure;
    const auto& words = line.Positional();
    const Result result = writer.RenameSecurity(words.at(1), words.at(3), words.at(2));
    writer.Close();
    return result == Result::Ok
               ? kExitOk
               : Failure(context, writer, "Can not rename security " + words.at(1));
}

// Every finding on its own line; with --repair, first what was mended
// ("mended: ..."), then what is left. Exit 1 while anything is found.
int CheckCommand(const CommandLine& line, CliContext& context) {
    const std::string& directory = line.Positional().at(0);
    auto inUse = [&] {
        Warn(context, "Directory " + directory + " is in use by other application.");
        return kExitFailure;
    };
    if (line.Has("--repair")) {
        const RepairReport repair = RepairStore(directory, context.wait);
        if (repair.inUse) return inUse();
        for (const std::string& done : repair.done) context.out << "mended: " << done << '\n';
        if (repair.result != Result::Ok) {
            Warn(context, "Directory " + directory + " was not repaired: " + repair.failure + ".");
            return kExitFailure;
        }
    }
    const CheckReport report = CheckStore(directory);
    if (!report.dataDirectory) {
        Warn(context, "Directory " + directory + " is not a data directory.");
        return kExitFailure;
    }
    if (report.inUse) return inUse();
    for (const std::string& finding : report.findings) context.out << finding << '\n';
    return report.findings.empty() ? kExitOk : kExitFailure;
}

}  // namespace corvane
