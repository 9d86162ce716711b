#pragma once

#include <QDialog>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "SymbolDatabase.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QTreeWidget;

namespace corvane {

class Prompt;

// "Listed Securities": browse the symbol database and the customized lists,
// search them, and pick securities for the Add New Security dialog.
class DlgList : public QDialog {
public:
    DlgList(Prompt& prompt, const std::filesystem::path& database,
            const std::vector<std::filesystem::path>& customLists,
            std::function<void(const QString& topic)> openHelp, QWidget* parent = nullptr);

    // After OK: each picked symbol followed by a space, each name by a comma.
    const std::string& PickedSymbols() const { return pickedSymbols_; }
    const std::string& PickedNames() const { return pickedNames_; }

    QComboBox& TypeList() const { return *types_; }
    QComboBox& GroupList() const { return *groups_; }
    QTreeWidget& Entries() const { return *entries_; }
    QLineEdit& Search() const { return *search_; }
    void SetSearchMode(int mode);
    void SortByColumn(int column);
    void OnOk();

private:
    enum class Kind {
        Exchange,
        Forex,
        Heading,
        Sector,
        UsIndex,
        WorldIndex,
        UsEtf,
        WorldEtf,
        Custom
    };
    struct Type {
        Type(QString text_, Kind kind_, int sector_ = 0, std::filesystem::path list_ = {})
            : text(std::move(text_)), kind(kind_), sector(sector_), list(std::move(list_)) {}
        QString text;
        Kind kind;
        int sector = 0;
        std::filesystem::path list;
    };

    void BuildTypes(const std::vector<std::filesystem::path>& customLists);
    void OnTypeChanged();
    void Fill();
    std::vector<ListEntry> CurrentEntries() const;

    Prompt& prompt_;
    std::optional<SymbolDatabase> database_;
    std::vector<Type> typeTable_;
    QComboBox* types_;
    QComboBox* groups_;
    QTreeWidget* entries_;
    QLineEdit* search_;
    QRadioButton* byName_;
    QRadioButton* bySymbol_;
    int mode_ = 0;
    int sortColumn_ = -1;
    bool ascending_ = true;
    std::string pickedSymbols_;
    std::string pickedNames_;
};

}  // namespace corvane
