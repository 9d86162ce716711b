#pragma once

#include <QDialog>

#include <optional>

#include "ConversionOptions.h"
#include "SettingsStore.h"

class QListWidget;

namespace corvane {

// "Preset Conversion Options": the saved presets by name, sorted, the first
// one selected; OK loads the chosen one.
class OptionListDlg : public QDialog {
public:
    explicit OptionListDlg(const SettingsStore& store, QWidget* parent = nullptr);

    // Loads the first preset of the selected name and accepts. With no
    // preset selected, or none of that name, nothing is loaded.
    void OnOk();
    // The preset OK loaded, as stored (ApplyPreset puts it into a dialog).
    const std::optional<ConversionOptions>& Loaded() const { return loaded_; }

private:
    const SettingsStore& store_;
    QListWidget* list_;
    std::optional<ConversionOptions> loaded_;
};

}  // namespace corvane
