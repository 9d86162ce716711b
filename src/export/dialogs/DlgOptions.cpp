#include "DlgOptions.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "AsciiConverter.h"
#include "DlgSaveOption.h"
#include "Latin1Text.h"
#include "OptionListDlg.h"

namespace corvane {

namespace {

// The buttons show the sample date 29 February 2005 in each layout.
constexpr const char* kDateFormatTexts[] = {"02/29/2005", "29/02/2005", "02/29/05",
                                            "29/02/05",   "20050229",   "20052902",
                                            "2005/02/29", "2005/29/02", "29-Feb-05"};
constexpr const char* kSeparatorTexts[] = {"Space", "Comma", "Slash", "Tab"};

// Checks the button of that id, or none for an id the group lacks (a
// record that was saved with no button selected).
void Select(QButtonGroup& group, int id) {
    if (QAbstractButton* button = group.button(id)) {
        button->setChecked(true);
        return;
    }
    group.setExclusive(false);
    for (QAbstractButton* button : group.buttons()) button->setChecked(false);
    group.setExclusive(true);
}

QPushButton* Button(QWidget* parent, const char* text, const char* objectName) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    // Only Accept answers Return, whichever button was clicked last.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

const std::array<DlgOptions::Field, 9> DlgOptions::kFields = {{
    {"Symbol", "fieldSymbol", &ConversionOptions::symbol},
    {"Periodicity", "fieldPeriodicity", &ConversionOptions::periodicity},
    {"Date", "fieldDate", &ConversionOptions::date},
    {"Open", "fieldOpen", &ConversionOptions::open},
    {"High", "fieldHigh", &ConversionOptions::high},
    {"Low", "fieldLow", &ConversionOptions::low},
    {"Close", "fieldClose", &ConversionOptions::close},
    {"Volume", "fieldVolume", &ConversionOptions::volume},
    {"Open Interest", "fieldOpenInterest", &ConversionOptions::openInterest},
}};

DlgOptions::DlgOptions(const ConversionOptions& options, SettingsStore& store, Prompt& prompt,
                       std::function<void(const QString& topic)> openHelp, QWidget* parent)
    : QDialog(parent),
      store_(store),
      prompt_(prompt),
      openHelp_(std::move(openHelp)),
      record_(options),
      accepted_(options),
      dateFormats_(new QButtonGroup(this)),
      separators_(new QButtonGroup(this)),
      singleFile_(new QCheckBox(QStringLiteral("Single output file"), this)),
      fileName_(new QLineEdit(this)),
      extension_(new QLineEdit(this)),
      headers_(new QCheckBox(QStringLiteral("Include headers"), this)),
      headerLine_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("dlgOptions"));
    setWindowTitle(QStringLiteral("Conversion Options"));

    auto* fieldsGroup = new QGroupBox(QStringLiteral("Fields"), this);
    auto* fieldsLayout = new QVBoxLayout(fieldsGroup);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        fields_[i] = new QCheckBox(QString::fromLatin1(kFields[i].text), fieldsGroup);
        fields_[i]->setObjectName(QString::fromLatin1(kFields[i].objectName));
        fieldsLayout->addWidget(fields_[i]);
        // clicked, not toggled: the user's toggles rebuild the header line,
        // showing a record does not.
        connect(fields_[i], &QCheckBox::clicked, this, &DlgOptions::RebuildHeader);
    }

    auto* datesGroup = new QGroupBox(QStringLiteral("Date Format"), this);
    auto* datesLayout = new QVBoxLayout(datesGroup);
    for (int id = 0; id < 9; ++id) {
        auto* radio = new QRadioButton(QString::fromLatin1(kDateFormatTexts[id]), datesGroup);
        radio->setObjectName(QStringLiteral("dateFormat") + QString::number(id));
        dateFormats_->addButton(radio, id);
        datesLayout->addWidget(radio);
    }
    connect(dateFormats_, &QButtonGroup::idClicked, this, &DlgOptions::RebuildHeader);

    auto* separatorGroup = new QGroupBox(QStringLiteral("Separator"), this);
    auto* separatorLayout = new QVBoxLayout(separatorGroup);
    for (int id = 0; id < 4; ++id) {
        auto* radio = new QRadioButton(QString::fromLatin1(kSeparatorTexts[id]), separatorGroup);
        radio->setObjectName(QStringLiteral("separator") + QString::number(id));
        separators_->addButton(radio, id);
        separatorLayout->addWidget(radio);
    }

    auto* outputGroup = new QGroupBox(QStringLiteral("Output File"), this);
    auto* outputLayout = new QGridLayout(outputGroup);
    singleFile_->setObjectName(QStringLiteral("singleFile"));
    fileName_->setObjectName(QStringLiteral("fileName"));
    auto* fileNameLabel = new QLabel(QStringLiteral("File name:"), outputGroup);
    fileNameLabel->setBuddy(fileName_);
    outputLayout->addWidget(singleFile_, 0, 0, 1, 2);
    outputLayout->addWidget(fileNameLabel, 1, 0);
    outputLayout->addWidget(fileName_, 1, 1);
    connect(singleFile_, &QCheckBox::clicked, this, &DlgOptions::OnSingleFileClicked);

    extension_->setObjectName(QStringLiteral("extension"));
    auto* extensionLabel = new QLabel(QStringLiteral("File extension:"), this);
    extensionLabel->setBuddy(extension_);
    auto* extensionRow = new QHBoxLayout;
    extensionRow->addWidget(extensionLabel);
    extensionRow->addWidget(extension_);

    headers_->setObjectName(QStringLiteral("includeHeaders"));
    headerLine_->setObjectName(QStringLiteral("headerLine"));
    headerLine_->setMinimumWidth(360);
    connect(headers_, &QCheckBox::clicked, this, [this](bool on) {
        headerLine_->setEnabled(on);
        RebuildHeader();
    });

    auto* load = Button(this, "Load", "loadButton");
    auto* save = Button(this, "Save", "saveButton");
    auto* defaults = Button(this, "Default", "defaultButton");
    auto* accept = Button(this, "Accept", "acceptButton");
    auto* cancel = Button(this, "Cancel", "cancelButton");
    auto* help = Button(this, "Help", "helpButton");
    accept->setDefault(true);
    help->setEnabled(static_cast<bool>(openHelp_));
    connect(load, &QPushButton::clicked, this, &DlgOptions::OnLoad);
    connect(save, &QPushButton::clicked, this, &DlgOptions::OnSave);
    connect(defaults, &QPushButton::clicked, this, &DlgOptions::OnDefault);
    connect(accept, &QPushButton::clicked, this, &DlgOptions::OnAccept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { openHelp_(QStringLiteral("convertopt.htm")); });

    auto* right = new QVBoxLayout;
    right->addWidget(separatorGroup);
    right->addWidget(outputGroup);
    right->addLayout(extensionRow);
    right->addStretch();
    auto* groups = new QHBoxLayout;
    groups->addWidget(fieldsGroup);
    groups->addWidget(datesGroup);
    groups->addLayout(right);
    auto* left = new QVBoxLayout;
    left->addLayout(groups);
    left->addWidget(headers_);
    left->addWidget(headerLine_);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {load, save, defaults, accept, cancel, help})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);

    ShowRecord();
}

void DlgOptions::ShowRecord() {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        fields_[i]->setChecked(record_.*kFields[i].flag);
    Select(*dateFormats_, record_.dateFormat);
    Select(*separators_, record_.separator);
    singleFile_->setChecked(record_.singleFile);
    fileName_->setText(FromLatin1(record_.fileName));
    extension_->setText(FromLatin1(record_.extension));
    headers_->setChecked(record_.headers);
    headerLine_->setText(FromLatin1(record_.headerLine));
    ApplyEnablingRules();
}

void DlgOptions::ApplyEnablingRules() {
    headerLine_->setEnabled(headers_->isChecked());
    QCheckBox* symbol = fields_[0];
    if (singleFile_->isChecked()) {
        // One file for every security needs the symbol column to tell them apart.
        record_.symbol = true;
        symbol->setChecked(true);
        symbol->setEnabled(false);
        fileName_->setEnabled(true);
    } else {
        symbol->setEnabled(true);
        fileName_->setEnabled(false);
    }
}

void DlgOptions::TakeFlags() {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        record_.*kFields[i].flag = fields_[i]->isChecked();
    record_.dateFormat = dateFormats_->checkedId();
    record_.separator = separators_->checkedId();
    record_.headers = headers_->isChecked();
    record_.singleFile = singleFile_->isChecked();
}

void DlgOptions::RebuildHeader() {
    TakeFlags();
    record_.BuildHeaderLine();
    headerLine_->setText(FromLatin1(record_.headerLine));
}

void DlgOptions::OnSingleFileClicked() {
    ApplyEnablingRules();
    RebuildHeader();
    if (fileName_->text().isEmpty())
        fileName_->setText(QString::fromLatin1(kDefaultSingleFileName));
}

bool DlgOptions::TakeControls() {
    TakeFlags();
    const auto headerLine = ToLatin1(headerLine_->text());
    const auto extension = ToLatin1(extension_->text());
    const auto fileName = ToLatin1(fileName_->text());
    if (!headerLine || !extension || !fileName) {
        (void)prompt_.Show(
            "The header line, the file extension and the file name take Latin-1 characters only.",
            kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        return false;
    }
    record_.headerLine = *headerLine;
    record_.extension = *extension;
    record_.fileName = *fileName;
    return true;
}

void DlgOptions::OnLoad() {
    OptionListDlg list(store_, this);
    if (list.exec() != QDialog::Accepted || !list.Loaded()) return;
    // The file name on screen is the one a preset never changes.
    ConversionOptions before = record_;
    if (const auto fileName = ToLatin1(fileName_->text())) before.fileName = *fileName;
    record_ = ApplyPreset(before, *list.Loaded());
    ShowRecord();
}

void DlgOptions::OnSave() {
    if (!TakeControls()) return;
    DlgSaveOption save(store_, prompt_, record_, this);
    save.exec();
}

void DlgOptions::OnDefault() {
    record_ = ConversionOptions::Defaults();
    ShowRecord();
}

void DlgOptions::OnAccept() {
    if (!TakeControls()) return;
    if (const auto problem = OutputNameProblem(record_)) {
        (void)prompt_.Show(*problem + ".", kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    accepted_ = record_;
    accept();
}

}  // namespace corvane
