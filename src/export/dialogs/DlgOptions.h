#pragma once

#include <QDialog>

#include <array>
#include <functional>

#include "ConversionOptions.h"
#include "Prompt.h"
#include "SettingsStore.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace corvane {

// "Conversion Options": edits a copy of a ConversionOptions record, saves it
// as a preset or loads one.
class DlgOptions : public QDialog {
public:
    // `store` (for the presets) and `prompt` must outlive the dialog.
    // `openHelp` is called with the topic "convertopt.htm"; without one the
    // Help button is disabled.
    DlgOptions(const ConversionOptions& options, SettingsStore& store, Prompt& prompt,
               std::function<void(const QString& topic)> openHelp, QWidget* parent = nullptr);

    // The record as accepted; the opening record until Accept succeeds.
    const ConversionOptions& Options() const { return accepted_; }

    void OnLoad();
    void OnSave();
    void OnDefault();
    // Refuses texts beyond Latin-1 and an extension or single-file name that
    // would leave the output directory, with a message; the dialog stays open.
    void OnAccept();

private:
    struct Field {
        const char* text;
        const char* objectName;
        bool ConversionOptions::*flag;
    };
    static const std::array<Field, 9> kFields;

    // Controls from the record, then the enabling rules.
    void ShowRecord();
    void ApplyEnablingRules();
    // The field boxes and date format into the record, then BuildHeaderLine
    // into the header-line edit.
    void RebuildHeader();
    void TakeFlags();
    // Every control into the record; false, after a message, when a text
    // has no Latin-1 form.
    bool TakeControls();
    void OnSingleFileClicked();

    SettingsStore& store_;
    Prompt& prompt_;
    std::function<void(const QString&)> openHelp_;
    ConversionOptions record_;
    ConversionOptions accepted_;
    std::array<QCheckBox*, 9> fields_{};
    QButtonGroup* dateFormats_;
    QButtonGroup* separators_;
    QCheckBox* singleFile_;
    QLineEdit* fileName_;
    QLineEdit* extension_;
    QCheckBox* headers_;
    QLineEdit* headerLine_;
};

}  // namespace corvane
