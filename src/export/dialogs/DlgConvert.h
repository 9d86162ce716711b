#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "ConversionOptions.h"
#include "Prompt.h"
#include "SettingsStore.h"

class QLineEdit;

namespace corvane {

// "Convert to ASCII": writes the bars of the typed securities of the current
// directory to text files in the output directory, laid out by the
// conversion options.
class DlgConvert : public QDialog {
public:
    // Asks for a folder, starting at `start`; an empty answer is a cancel.
    using DirectoryChooser = std::function<QString(QWidget* parent, const QString& start)>;

    // `current` is the application's record: the dialog converts with a copy
    // of it, and Options changes both when accepted. `symbols`: each selected
    // symbol preceded by one space, as Latin-1 text. `prompt`, `store` (for
    // the presets) and `current` must outlive the dialog. The output
    // directory starts as the process's current directory.
    DlgConvert(Prompt& prompt, SettingsStore& store, ConversionOptions& current,
               const std::string& symbols, std::function<void(const QString& topic)> openHelp,
               QWidget* parent = nullptr);

    // Replaces the folder chooser behind Browse... (tests answer it).
    void SetDirectoryChooser(DirectoryChooser chooser) { chooseDirectory_ = std::move(chooser); }

    void OnBrowse();
    void OnOptions();
    // Converts from the process's current directory and closes. An output
    // directory that cannot take the files, or a file name or extension that
    // would leave it, is told of before anything is written, and the dialog
    // stays open. A symbol beyond Latin-1 is told of and skipped.
    void OnConvert();

    // The dialog's copy of the options, as the last run left it.
    const ConversionOptions& Options() const { return options_; }
    // Securities the last run converted.
    int Converted() const { return converted_; }

private:
    Prompt& prompt_;
    SettingsStore& store_;
    ConversionOptions& current_;
    ConversionOptions options_;
    std::function<void(const QString&)> openHelp_;
    DirectoryChooser chooseDirectory_;
    QLineEdit* symbols_;
    QLineEdit* outputDirectory_;
    int converted_ = 0;
};

}  // namespace corvane
