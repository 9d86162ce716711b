#include "DlgConvert.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "AsciiConverter.h"
#include "DlgOptions.h"
#include "Latin1Text.h"

namespace corvane {

namespace {

// The wait cursor while a run lasts. The explorer's own WaitCursor lives in
// a layer above this one.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Paths are not store text: they go in the file system's own encoding.
QString PathText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::filesystem::path TextPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QString ChooseWithFileDialog(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(
        parent, QStringLiteral("Select a directory for converted files."), start,
        QFileDialog::ShowDirsOnly);
}

}  // namespace

DlgConvert::DlgConvert(Prompt& prompt, SettingsStore& store, ConversionOptions& current,
                       const std::string& symbols,
                       std::function<void(const QString& topic)> openHelp, QWidget* parent)
    : QDialog(parent),
      prompt_(prompt),
      store_(store),
      current_(current),
      options_(current),
      openHelp_(std::move(openHelp)),
      chooseDirectory_(ChooseWithFileDialog),
      symbols_(new QLineEdit(FromLatin1(symbols), this)),
      outputDirectory_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("dlgConvert"));
    setWindowTitle(QStringLiteral("Convert to ASCII"));
    symbols_->setObjectName(QStringLiteral("securitySymbol"));
    symbols_->setMinimumWidth(320);
    outputDirectory_->setObjectName(QStringLiteral("outputDirectory"));
    std::error_code error;
    outputDirectory_->setText(PathText(std::filesystem::current_path(error)));

    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    auto* options = new QPushButton(QStringLiteral("Options"), this);
    options->setObjectName(QStringLiteral("optionsButton"));
    options->setAutoDefault(false);
    // The default button: Return in either edit converts.
    auto* convert = new QPushButton(QStringLiteral("Convert"), this);
    convert->setObjectName(QStringLiteral("convertButton"));
    convert->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);

    auto* symbolLabel = new QLabel(QStringLiteral("Security Symbol:"), this);
    symbolLabel->setBuddy(symbols_);
    auto* directoryLabel = new QLabel(QStringLiteral("Output Directory:"), this);
    directoryLabel->setBuddy(outputDirectory_);
    auto* fields = new QGridLayout;
    fields->addWidget(symbolLabel, 0, 0);
    fields->addWidget(symbols_, 0, 1, 1, 2);
    fields->addWidget(directoryLabel, 1, 0);
    fields->addWidget(outputDirectory_, 1, 1);
    fields->addWidget(browse, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(options);
    buttons->addStretch();
    buttons->addWidget(convert);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(browse, &QPushButton::clicked, this, &DlgConvert::OnBrowse);
    connect(options, &QPushButton::clicked, this, &DlgConvert::OnOptions);
    connect(convert, &QPushButton::clicked, this, &DlgConvert::OnConvert);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void DlgConvert::OnBrowse() {
    const QString chosen = chooseDirectory_(this, outputDirectory_->text());
    if (!chosen.isEmpty()) outputDirectory_->setText(QDir::toNativeSeparators(chosen));
}

void DlgConvert::OnOptions() {
    DlgOptions dialog(current_, store_, prompt_, openHelp_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    current_ = dialog.Options();
    options_ = current_;
}

void DlgConvert::OnConvert() {
    // Each token keeps its place, empty ones between two spaces too; only a
    // symbol without a Latin-1 form leaves the run.
    QStringList kept;
    bool refused = false;
    for (const QString& token : symbols_->text().split(u' ')) {
        if (ToLatin1(token)) {
            kept.append(token);
            continue;
        }
        refused = true;
        (void)prompt_.Show("Can not convert security \"" + token.toLatin1().toStdString() +
                               "\": its symbol holds characters other than Latin-1.",
                           kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
    }
    const std::string symbols = *ToLatin1(kept.join(u' '));
    if (refused && symbols.find_first_not_of(' ') == std::string::npos) return;

    const std::filesystem::path output = TextPath(outputDirectory_->text().trimmed());
    AsciiConverter converter(prompt_);
    if (!Succeeded(converter.CheckOutput(output, options_))) return;
    {
        BusyCursor busy;
        std::error_code error;
        converted_ =
            converter.Convert(std::filesystem::current_path(error), symbols, output, options_);
    }
    accept();
}

}  // namespace corvane
