#include "DlgAlerts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

DlgAlerts::DlgAlerts(SheetServices services, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      sound_(new QButtonGroup(this)),
      soundFile_(new QLineEdit(this)),
      test_(new QPushButton(QStringLiteral("Test"), this)),
      browse_(new QPushButton(QStringLiteral("Browse"), this)),
      onShutdown_(new QCheckBox(QStringLiteral("Enable on shutdown"), this)),
      onDelete_(new QCheckBox(QStringLiteral("Enable on delete security"), this)),
      onOverwrite_(new QCheckBox(QStringLiteral("Enable on overwrite security"), this)) {
    setObjectName(QStringLiteral("dlgAlerts"));
    soundFile_->setObjectName(QStringLiteral("soundFile"));
    // It shows the file's name; the file itself is chosen with Browse.
    soundFile_->setReadOnly(true);
    test_->setObjectName(QStringLiteral("testSound"));
    browse_->setObjectName(QStringLiteral("browseSound"));
    onShutdown_->setObjectName(QStringLiteral("onShutdown"));
    onDelete_->setObjectName(QStringLiteral("onDelete"));
    onOverwrite_->setObjectName(QStringLiteral("onOverwrite"));

    auto* complete = new QGroupBox(QStringLiteral("Download complete"), this);
    auto* completeLayout = new QGridLayout(complete);
    const std::tuple<int, const char*, const char*> choices[] = {
        {kSoundNone, "No sound", "noSound"},
        {kSoundBeep, "Beep", "beepSound"},
        {kSoundFile, "Play sound", "playSound"}};
    int row = 0;
    for (const auto& [code, text, name] : choices) {
        auto* radio = new QRadioButton(QString::fromLatin1(text), complete);
        radio->setObjectName(QString::fromLatin1(name));
        sound_->addButton(radio, code);
        completeLayout->addWidget(radio, row++, 0, 1, 3);
    }
    completeLayout->addWidget(soundFile_, row, 0);
    completeLayout->addWidget(test_, row, 1);
    completeLayout->addWidget(browse_, row, 2);
    auto* warnings = new QGroupBox(QStringLiteral("Warnings"), this);
    auto* warningsLayout = new QVBoxLayout(warnings);
    for (QCheckBox* box : {onShutdown_, onDelete_, onOverwrite_}) warningsLayout->addWidget(box);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(complete);
    layout->addWidget(warnings);
    layout->addStretch();

    const AppSettings& settings = services_.settings;
    soundPath_ = settings.soundPath;
    if (settings.downloadSound == kSoundFile && soundPath_.empty())
        soundPath_ = (MediaDirectory() / "complete.wav").string();
    // 0, never chosen, acts as no sound but checks none of the three.
    if (QAbstractButton* chosen = sound_->button(settings.downloadSound)) chosen->setChecked(true);
    onShutdown_->setChecked(settings.onShutdown != 0);
    onDelete_->setChecked(settings.onDelete != 0);
    onOverwrite_->setChecked(settings.onOverwrite != 0);
    ShowSoundFile();
    UpdateEnabling();

    connect(sound_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!on) return;
        // Play sound with no file yet plays the shipped one, as the next
        // opening of the sheet would show.
        if (id == kSoundFile && soundPath_.empty()) {
            soundPath_ = (MediaDirectory() / "complete.wav").string();
            ShowSoundFile();
        }
        UpdateEnabling();
        Q_EMIT Changed();
    });
    for (QCheckBox* box : {onShutdown_, onDelete_, onOverwrite_})
        connect(box, &QCheckBox::toggled, this, &DlgAlerts::Changed);
    connect(test_, &QPushButton::clicked, this, [this] {
        if (services_.playSound) services_.playSound(soundPath_);
    });
    connect(browse_, &QPushButton::clicked, this, &DlgAlerts::OnBrowse);
}

std::filesystem::path DlgAlerts::MediaDirectory() const {
    return services_.shippedDirectory / "Media";
}

void DlgAlerts::UpdateEnabling() {
    const bool file = sound_->checkedId() == kSoundFile;
    for (QWidget* widget : {static_cast<QWidget*>(soundFile_), static_cast<QWidget*>(test_),
                            static_cast<QWidget*>(browse_)})
        widget->setEnabled(file);
}

void DlgAlerts::ShowSoundFile() {
    soundFile_->setText(
        QString::fromStdString(std::filesystem::path(soundPath_).filename().string()));
}

void DlgAlerts::OnBrowse() {
    QFileDialog chooser(this, QStringLiteral("Select sound file"),
                        QString::fromStdString(MediaDirectory().string()));
    chooser.setObjectName(QStringLiteral("soundFileChooser"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilters({QStringLiteral("WAV Sound Files (*.wav)"),
                            QStringLiteral("MIDI Sound Files (*.midi)"),
                            QStringLiteral("All Files (*)")});
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    soundPath_ = chooser.selectedFiles().front().toStdString();
    ShowSoundFile();
    Q_EMIT Changed();
}

void DlgAlerts::Apply() {
    AppSettings& settings = services_.settings;
    if (sound_->checkedId() != -1) settings.downloadSound = sound_->checkedId();
    settings.soundPath = soundPath_;
    settings.onShutdown = onShutdown_->isChecked() ? 1 : 0;
    settings.onDelete = onDelete_->isChecked() ? 1 : 0;
    settings.onOverwrite = onOverwrite_->isChecked() ? 1 : 0;
    SaveAlertSettings(services_.store, settings);
}

}  // namespace corvane
