#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "AppSettings.h"
#include "CCorvaneDoc.h"

class QLineEdit;
class QPushButton;

namespace corvane {

class CRightListView;
class SettingsStore;
class StoreWriter;

// "Add New Security": adds the typed (or listed) symbols as daily securities
// of the output directory, the current directory unless the user picks
// another.
class DlgNewSecurity : public QDialog {
public:
    // Opens the lists; true with the picked symbols and names on OK.
    using ListPicker = std::function<bool(std::string& symbols, std::string& names)>;

    DlgNewSecurity(CCorvaneDoc& doc, AppSettings& settings, SettingsStore& store,
                   CRightListView& list, ListPicker pickFromLists, QWidget* parent = nullptr);

    void SetNames(const std::string& names) { names_ = names; }
    void OnLists();
    void OnBrowse();
    void OnAdd();
    // The folder the securities were added to, as typed.
    std::string OutputDirectory() const;

private:
    enum class Step { Next, Stop, Abort };

    static bool OpenOrCreate(StoreWriter& writer, const std::string& directory);
    Step TellFailure(const StoreWriter& writer, const std::string& what);
    Step AddOne(StoreWriter& writer, const std::string& directory, const std::string& symbol,
                const std::string& name, bool showsList);
    void ShowAddedRow(const std::string& directory, const std::string& symbol);
    bool CheckLengths(const std::string& directory, const std::vector<std::string>& symbols,
                      std::vector<std::string>& names);

    CCorvaneDoc& doc_;
    AppSettings& settings_;
    SettingsStore& store_;
    CRightListView& list_;
    ListPicker pickFromLists_;
    QLineEdit* symbols_;
    QLineEdit* outputDirectory_;
    std::string names_;
};

}  // namespace corvane
