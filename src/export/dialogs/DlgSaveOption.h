#pragma once

#include <QDialog>

#include "ConversionOptions.h"
#include "Prompt.h"
#include "SettingsStore.h"

class QLineEdit;

namespace corvane {

// "Custom Conversion Option": appends the options dialog's record to the
// presets under the typed name.
class DlgSaveOption : public QDialog {
public:
    // `options` is read when OK is pressed; `store` and `prompt` must outlive
    // the dialog.
    DlgSaveOption(SettingsStore& store, Prompt& prompt, const ConversionOptions& options,
                  QWidget* parent = nullptr);

    // An empty name (or one beyond Latin-1) is told of and the dialog stays
    // open; otherwise the preset is written and the dialog accepted.
    void OnOk();

private:
    SettingsStore& store_;
    Prompt& prompt_;
    ConversionOptions options_;
    QLineEdit* name_;
};

}  // namespace corvane
