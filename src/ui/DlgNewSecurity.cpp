#include "DlgNewSecurity.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "CRightListView.h"
#include "DirectoryFiles.h"
#include "Latin1Text.h"
#include "ProgressWnd.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TransferText.h"
#include "WaitCursor.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxSymbol = 14;
constexpr std::size_t kLowNameField = 16;
constexpr std::size_t kExtendedNameField = 29;
constexpr int kLowEntries = 255;
constexpr std::size_t kProgressThreshold = 200;

std::vector<std::string> Split(const std::string& text, char separator, bool keepEmpty) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        std::string piece = text.substr(start, end - start);
        if (keepEmpty || !piece.empty()) pieces.push_back(piece);
        start = end + 1;
    }
    return pieces;
}

int EntryCount(Prompt& prompt, const std::string& directory) {
    StoreReader reader(prompt);
    if (!Succeeded(reader.Open(directory))) return 0;
    const int count = reader.GetRemainingSecurities();
    reader.Close();
    return count;
}

bool SameFolder(const std::string& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

}  // namespace

DlgNewSecurity::DlgNewSecurity(CCorvaneDoc& doc, AppSettings& settings, SettingsStore& store,
                               CRightListView& list, ListPicker pickFromLists, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      settings_(settings),
      store_(store),
      list_(list),
      pickFromLists_(std::move(pickFromLists)),
      symbols_(new QLineEdit(this)),
      outputDirectory_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("dlgNewSecurity"));
    setWindowTitle(QStringLiteral("Add New Security"));
    symbols_->setObjectName(QStringLiteral("securitySymbols"));
    symbols_->setMinimumWidth(360);
    outputDirectory_->setObjectName(QStringLiteral("outputDirectory"));
    std::error_code error;
    outputDirectory_->setText(QString::fromStdString(fs::current_path(error).string()));

    auto* lists = new QPushButton(QStringLiteral("&Lists..."), this);
    lists->setObjectName(QStringLiteral("listsButton"));
    lists->setEnabled(static_cast<bool>(pickFromLists_));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    connect(lists, &QPushButton::clicked, this, &DlgNewSecurity::OnLists);
    connect(browse, &QPushButton::clicked, this, &DlgNewSecurity::OnBrowse);

    auto* symbolGroup = new QGroupBox(QStringLiteral("Security symbols"), this);
    auto* symbolRow = new QHBoxLayout(symbolGroup);
    symbolRow->addWidget(symbols_);
    symbolRow->addWidget(lists);
    auto* outputGroup = new QGroupBox(QStringLiteral("Output directory"), this);
    auto* outputRow = new QHBoxLayout(outputGroup);
    outputRow->addWidget(outputDirectory_);
    outputRow->addWidget(browse);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* add = buttons->addButton(QStringLiteral("Add"), QDialogButtonBox::AcceptRole);
    add->setObjectName(QStringLiteral("addButton"));
    add->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(add, &QPushButton::clicked, this, &DlgNewSecurity::OnAdd);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(symbolGroup);
    layout->addWidget(outputGroup);
    layout->addWidget(buttons);
    setTabOrder(symbols_, lists);
    setTabOrder(lists, outputDirectory_);
    setTabOrder(outputDirectory_, browse);
}

void DlgNewSecurity::OnLists() {
    std::string symbols = ToLatin1(symbols_->text()).value_or("");
    std::string names = names_;
    if (!pickFromLists_ || !pickFromLists_(symbols, names)) return;
    symbols_->setText(QString::fromLatin1(symbols));
    names_ = names;
}

void DlgNewSecurity::OnBrowse() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Select a folder to add security to."), outputDirectory_->text());
    if (!folder.isEmpty()) outputDirectory_->setText(folder);
}

bool DlgNewSecurity::CheckLengths(const std::string& directory,
                                  const std::vector<std::string>& symbols,
                                  std::vector<std::string>& names) {
    Prompt& prompt = doc_.GetPrompt();
    for (const std::string& symbol : symbols)
        if (symbol.size() > kMaxSymbol) {
            (void)prompt.Show("The symbol " + symbol + " is longer than " +
                                  std::to_string(kMaxSymbol) + " characters. Nothing was added.",
                              kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
            return false;
        }
    // Names from the lists may be longer than the entry's field: cut them
    // only when the user agrees.
    const int existing = EntryCount(prompt, directory);
    std::vector<std::size_t> fields;
    std::string firstLong;
    std::size_t firstField = 0;
    for (std::size_t i = 0; i < names.size() && i < symbols.size(); ++i) {
        const std::size_t field =
            existing + static_cast<int>(i) < kLowEntries ? kLowNameField : kExtendedNameField;
        fields.push_back(field);
        if (names[i].size() > field && firstLong.empty()) {
            firstLong = names[i];
            firstField = field;
        }
    }
    if (firstLong.empty()) return true;
    const std::string cut = firstLong.substr(0, firstField);
    if (prompt.Show("The name " + firstLong + " is longer than " + std::to_string(firstField) +
                        " characters and would be stored as " + cut +
                        ". Add the securities with their names shortened?",
                    kAppCaption, PromptIcon::Question, PromptButtons::YesNo) != PromptAnswer::Yes)
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (names[i].size() > fields[i]) names[i].resize(fields[i]);
    return true;
}

// A folder in use or damaged is left alone; OpenFailureMessage says why.
bool DlgNewSecurity::OpenOrCreate(StoreWriter& writer, const std::string& directory) {
    if (Succeeded(writer.Open(directory))) return true;
    return writer.GetOpenFailure() == StoreWriter::OpenFailure::NotDataDirectory &&
           Succeeded(writer.CreateDirectory(directory)) && Succeeded(writer.Open(directory));
}

DlgNewSecurity::Step DlgNewSecurity::AddOne(StoreWriter& writer, const std::string& directory,
                                            const std::string& symbol, const std::string& name,
                                            bool showsList) {
    Prompt& prompt = doc_.GetPrompt();
    if (!Succeeded(writer.Open(directory))) {
        (void)prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning,
                          PromptButtons::Ok);
        return Step::Stop;
    }
    const bool exists = Succeeded(writer.OpenPriceFileBySymbol(symbol));
    (void)writer.ClosePriceFile();  // only looked for; nothing was written
    if (exists) {
        const PromptAnswer answer =
            settings_.onOverwrite == 1
                ? doc_.GetPrompt().Show(
                      "Security " + symbol + " already exists. Do you want to overwrite it?",
                      kAppCaption, PromptIcon::Question, PromptButtons::YesNoCancel)
                : PromptAnswer::Yes;
        if (answer != PromptAnswer::Yes) {
            writer.Close();
            return answer == PromptAnswer::Cancel ? Step::Abort : Step::Next;
        }
        const Result deleted = writer.DeleteSecurity(symbol);
        writer.Close();
        if (!Succeeded(deleted))
            return TellFailure(writer, "Security " + symbol + " was not replaced");
        if (showsList) list_.RemoveSymbolRows(symbol);
        // Deleting the last security removes the index files.
        if (!OpenOrCreate(writer, directory)) {
            (void)prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning,
                              PromptButtons::Ok);
            return Step::Stop;
        }
    }
    const Result added = writer.AddSecurity(symbol, name, 'D');
    writer.Close();
    if (!Succeeded(added)) return TellFailure(writer, "Security " + symbol + " was not added");
    if (showsList) ShowAddedRow(directory, symbol);
    return Step::Next;
}

// A failed write goes on with the next security; the writer's own refusals
// it has shown already.
DlgNewSecurity::Step DlgNewSecurity::TellFailure(const StoreWriter& writer,
                                                 const std::string& what) {
    if (!writer.LastFailureShown())
        (void)doc_.GetPrompt().Show(what + ": " + writer.LastFailure() + ".", kAppCaption,
                                    PromptIcon::Warning, PromptButtons::Ok);
    return Step::Next;
}

void DlgNewSecurity::ShowAddedRow(const std::string& directory, const std::string& symbol) {
    StoreReader reader(doc_.GetPrompt());
    if (!Succeeded(reader.Open(directory))) return;
    if (reader.SeekSymbol(symbol))
        list_.AddSecurityRow(symbol, reader.GetName(), 'D', reader.GetFirstDate(),
                             reader.GetLastDate());
    reader.Close();
}

void DlgNewSecurity::OnAdd() {
    Prompt& prompt = doc_.GetPrompt();
    std::error_code error;
    const fs::path current = fs::current_path(error);
    const auto typed = ToLatin1(symbols_->text());
    if (!typed) {
        (void)prompt.Show(NotLatin1Message(symbols_->text()), kAppCaption, PromptIcon::Warning,
                          PromptButtons::Ok);
        return;
    }
    const std::string text = UpperCase(*typed);
    const std::string directory = OutputDirectory();
    if (text.empty() || directory.empty()) {
        (void)prompt.Show(text.empty() ? "Enter security symbol." : "Enter full directory path.",
                          kAppCaption, PromptIcon::None, PromptButtons::Ok);
        return;
    }
    const std::vector<std::string> symbols = Split(text, ' ', false);
    std::vector<std::string> names;
    if (!names_.empty()) names = Split(UpperCase(names_), ',', true);
    if (!CheckLengths(directory, symbols, names)) return;

    WaitCursor wait;
    StoreWriter writer(prompt, doc_.GetClock());
    const bool opened = OpenOrCreate(writer, directory);
    writer.Close();
    if (!opened) {
        (void)prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning,
                          PromptButtons::Ok);
        return;
    }
    // The main window, not this dialog, is disabled while the progress window runs.
    ProgressWnd progress(store_, parentWidget() ? parentWidget()->window() : nullptr);
    const bool showsProgress = text.size() > kProgressThreshold;
    if (showsProgress) {
        progress.OpenProgressWindow(this, QStringLiteral("Adding securities ..."), true);
        progress.MakeModal(QStringLiteral("Adding securities ..."), true);
        progress.SetLayout(0, 250);
        progress.SetBounds(0, static_cast<int>(text.size()), 1);
    }
    const bool showsList = SameFolder(directory, current);
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const std::string name = i < names.size() && !names[i].empty() ? names[i] : symbols[i];
        const Step step = AddOne(writer, directory, symbols[i], name, showsList);
        if (step == Step::Abort) return;  // Cancel: the dialog stays open
        if (step == Step::Stop) break;
        if (!showsProgress) continue;
        progress.SetAdvance(static_cast<int>(symbols[i].size()) + 1);
        progress.Advance();
        progress.PumpPendingMessages(true);
        if (progress.IsCancelled()) {
            (void)prompt.Show("Update is cancelled", kAppCaption, PromptIcon::None,
                              PromptButtons::Ok);
            break;
        }
    }
    progress.CloseProgressWindow();
    accept();
}

std::string DlgNewSecurity::OutputDirectory() const {
    return outputDirectory_->text().trimmed().toStdString();
}

}  // namespace corvane
