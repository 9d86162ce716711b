#include <gmock/gmock.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

#include "DialogDriving.h"
#include "DlgOptions.h"
#include "DlgSaveOption.h"
#include "InMemorySettingsStore.h"
#include "OptionListDlg.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

constexpr const char* kFieldNames[] = {"fieldSymbol", "fieldPeriodicity", "fieldDate",
                                       "fieldOpen",   "fieldHigh",        "fieldLow",
                                       "fieldClose",  "fieldVolume",      "fieldOpenInterest"};

// The options dialog over an in-memory settings store, shown so that it can
// be clicked and typed into.
class OptionsDialogTest : public ::testing::Test {
protected:
    DlgOptions& Open(const ConversionOptions& options) {
        dialog_ = std::make_unique<DlgOptions>(
            options, store_, prompt_, [this](const QString& topic) { topics_.push_back(topic); });
        dialog_->show();
        return *dialog_;
    }
    QCheckBox& Box(const char* name) { return Child<QCheckBox>(*dialog_, name); }
    QLineEdit& Edit(const char* name) { return Child<QLineEdit>(*dialog_, name); }
    QString Header() { return Edit("headerLine").text(); }
    // The field boxes that are checked, in the dialog's order.
    std::vector<std::string> CheckedFields() {
        std::vector<std::string> on;
        for (const char* name : kFieldNames)
            if (Box(name).isChecked()) on.push_back(name);
        return on;
    }
    int CheckedId(const char* prefix, int count) {
        int checked = -1;
        for (int id = 0; id < count; ++id) {
            const std::string name = prefix + std::to_string(id);
            if (Child<QRadioButton>(*dialog_, name.c_str()).isChecked()) {
                EXPECT_EQ(checked, -1) << "two buttons checked";
                checked = id;
            }
        }
        return checked;
    }
    void TypeInto(QLineEdit& edit, const QString& text) {
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Delete);
        QTest::keyClicks(&edit, text);
    }
    // Saves the dialog's record as a preset through the Save button.
    void SaveAs(const QString& name) {
        WithModal<DlgSaveOption>([this] { Click(*dialog_, "saveButton"); },
                                 [&](DlgSaveOption& save) {
                                     QTest::keyClicks(&Child<QLineEdit>(save, "optionName"), name);
                                     Click(save, "okButton");
                                 });
    }

    QApplication& application_ = TestApplication();
    RecordingPrompt prompt_;
    InMemorySettingsStore store_;
    std::vector<QString> topics_;
    std::unique_ptr<DlgOptions> dialog_;
};

TEST_F(OptionsDialogTest, FirstStartShowsNothingSelectedAndDefaultGivesTheDefaultsAsIs) {
    DlgOptions& dialog = Open(ConversionOptions{});
    EXPECT_TRUE(CheckedFields().empty());
    EXPECT_EQ(CheckedId("dateFormat", 9), 0);
    EXPECT_EQ(CheckedId("separator", 4), 0);
    EXPECT_FALSE(Box("includeHeaders").isChecked());
    EXPECT_FALSE(Edit("headerLine").isEnabled());
    EXPECT_FALSE(Edit("fileName").isEnabled());
    EXPECT_TRUE(Box("fieldSymbol").isEnabled());

    Click(dialog, "defaultButton");
    EXPECT_THAT(CheckedFields(), ElementsAre("fieldDate", "fieldOpen", "fieldHigh", "fieldLow",
                                             "fieldClose", "fieldVolume"));
    EXPECT_EQ(CheckedId("dateFormat", 9), 4);
    EXPECT_EQ(CheckedId("separator", 4), 1);
    // Default sets its own header line; a rebuild would give <YYYYMMDD>.
    EXPECT_EQ(Header(), QStringLiteral("<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"));
    EXPECT_TRUE(Edit("headerLine").isEnabled());
    EXPECT_EQ(Edit("extension").text(), QStringLiteral(".txt"));
    EXPECT_EQ(Edit("fileName").text(), QStringLiteral("ascii_file"));

    Click(dialog, "helpButton");
    EXPECT_THAT(topics_, ElementsAre(QStringLiteral("convertopt.htm")));
    EXPECT_EQ(dialog.Options(), ConversionOptions{}) << "nothing is taken before Accept";
    Click(dialog, "acceptButton");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Options(), ConversionOptions::Defaults());
}

// Each toggle that rebuilds the header line, from the defaults with a typed
// header line: a separator or an edit leaves the typed line, the toggle
// replaces it.
TEST_F(OptionsDialogTest, ATypedHeaderLineSurvivesUntilTheNextToggle) {
    struct Case {
        const char* control;
        QString header;
        bool headerEnabled;
    };
    const Case cases[] = {
        {"fieldOpenInterest",
         QStringLiteral("<YYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>"), true},
        {"fieldDate", QStringLiteral("<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"), true},
        {"dateFormat8", QStringLiteral("<DD-MMM-YY>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"), true},
        {"dateFormat4", QStringLiteral("<YYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"), true},
        {"includeHeaders", QStringLiteral("<YYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"), false},
        {"singleFile", QStringLiteral("<TICKER>,<YYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>"),
         true},
    };
    for (const Case& c : cases) {
        DlgOptions& dialog = Open(ConversionOptions::Defaults());
        TypeInto(Edit("headerLine"), QStringLiteral("Date Open High"));
        Click(dialog, "separator3");
        TypeInto(Edit("extension"), QStringLiteral("csv"));
        EXPECT_EQ(Header(), QStringLiteral("Date Open High")) << c.control;
        Click(dialog, c.control);
        EXPECT_EQ(Header(), c.header) << c.control;
        EXPECT_EQ(Edit("headerLine").isEnabled(), c.headerEnabled) << c.control;
        Click(dialog, "acceptButton");
        EXPECT_EQ(dialog.Options().headerLine, c.header.toStdString()) << c.control;
        EXPECT_EQ(dialog.Options().separator, 3);
        EXPECT_EQ(dialog.Options().extension, "csv");
    }
    // Without a toggle the typed line is what Accept takes.
    DlgOptions& dialog = Open(ConversionOptions::Defaults());
    TypeInto(Edit("headerLine"), QStringLiteral("Date,Open"));
    QTest::keyClick(&Edit("headerLine"), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Options().headerLine, "Date,Open");
}

TEST_F(OptionsDialogTest, SingleOutputFileForcesTheSymbolOnAndOffGivesItsBoxBack) {
    ConversionOptions options = ConversionOptions::Defaults();
    options.fileName.clear();
    DlgOptions& dialog = Open(options);
    Click(dialog, "singleFile");
    EXPECT_TRUE(Box("fieldSymbol").isChecked());
    EXPECT_FALSE(Box("fieldSymbol").isEnabled());
    EXPECT_TRUE(Header().startsWith(QStringLiteral("<TICKER>,<YYYYMMDD>,")));
    EXPECT_TRUE(Edit("fileName").isEnabled());
    EXPECT_EQ(Edit("fileName").text(), QStringLiteral("ascii_file"));

    Click(dialog, "singleFile");
    EXPECT_TRUE(Box("fieldSymbol").isChecked()) << "switching off leaves the symbol on";
    EXPECT_TRUE(Box("fieldSymbol").isEnabled());
    EXPECT_FALSE(Edit("fileName").isEnabled());
    Click(dialog, "fieldSymbol");
    EXPECT_FALSE(Header().contains(QStringLiteral("<TICKER>")));
    Click(dialog, "acceptButton");
    EXPECT_FALSE(dialog.Options().symbol);
    EXPECT_FALSE(dialog.Options().singleFile);
    EXPECT_EQ(dialog.Options().fileName, "ascii_file");

    // A record saved with single file on and the symbol off opens with it on.
    options.singleFile = true;
    DlgOptions& reopened = Open(options);
    EXPECT_TRUE(Box("fieldSymbol").isChecked());
    EXPECT_FALSE(Box("fieldSymbol").isEnabled());
    EXPECT_EQ(Header().toStdString(), options.headerLine) << "opening does not rebuild";
    Click(reopened, "acceptButton");
    EXPECT_TRUE(reopened.Options().symbol);
}

TEST_F(OptionsDialogTest, CancelAndEscapeLeaveTheRecordAsItWas) {
    const ConversionOptions options = ConversionOptions::Defaults();
    for (bool escape : {false, true}) {
        DlgOptions& dialog = Open(options);
        Click(dialog, "fieldPeriodicity");
        Click(dialog, "singleFile");
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            Click(dialog, "cancelButton");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.Options(), options);
    }
}

TEST_F(OptionsDialogTest, TwoPresetsOfOneNameLoadTheFirstAndTheFileNameStays) {
    ConversionOptions first = ConversionOptions::Defaults();
    first.fileName = "first_file";
    DlgOptions& saving = Open(first);
    Click(saving, "separator3");
    TypeInto(Edit("extension"), QStringLiteral("csv"));
    TypeInto(Edit("headerLine"), QStringLiteral("my,own,header"));
    SaveAs(QStringLiteral("Mine"));
    Click(saving, "separator0");
    SaveAs(QStringLiteral("Mine"));
    SaveAs(QStringLiteral("alpha"));
    SaveAs(QStringLiteral("Zeta"));
    EXPECT_EQ(store_.ReadInt("Settings", "PresetOptions", 0), 4);
    EXPECT_EQ(store_.ReadString("Option2", "Name", ""), "Mine");
    EXPECT_EQ(store_.ReadInt("Option1", "Separator", -1), 3);
    EXPECT_EQ(store_.ReadInt("Option2", "Separator", -1), 0);
    EXPECT_EQ(store_.ReadString("Option1", "HeadersLine", ""), "my,own,header");
    EXPECT_TRUE(prompt_.shown.empty());

    struct Case {
        std::string fileName;  // typed into the dialog before Load
        int row;               // either "Mine" loads Option1
        std::string kept;
    };
    const Case cases[] = {
        {"keep_me", 1, "keep_me"}, {"keep_me", 2, "keep_me"}, {"", 1, "ascii_file"}};
    for (const Case& c : cases) {
        ConversionOptions options;
        options.singleFile = true;
        options.fileName = "as_opened";
        DlgOptions& dialog = Open(options);
        TypeInto(Edit("fileName"), QString::fromStdString(c.fileName));
        WithModal<OptionListDlg>([&] { Click(dialog, "loadButton"); },
                                 [&](OptionListDlg& list) {
                                     auto& names = Child<QListWidget>(list, "presetList");
                                     std::vector<std::string> shown;
                                     for (int row = 0; row < names.count(); ++row)
                                         shown.push_back(names.item(row)->text().toStdString());
                                     EXPECT_THAT(shown,
                                                 ElementsAre("alpha", "Mine", "Mine", "Zeta"));
                                     EXPECT_EQ(names.currentRow(), 0);
                                     names.setCurrentRow(c.row);
                                     Click(list, "okButton");
                                 });
        EXPECT_EQ(CheckedId("separator", 4), 3) << c.row;
        EXPECT_EQ(Edit("extension").text(), QStringLiteral("csv"));
        EXPECT_EQ(Header(), QStringLiteral("my,own,header")) << "taken as saved, not rebuilt";
        EXPECT_EQ(Edit("fileName").text().toStdString(), c.kept);
        Click(dialog, "acceptButton");
        EXPECT_EQ(dialog.Options().fileName, c.kept);
        EXPECT_EQ(dialog.Options().separator, 3);
    }

    // Escape in the list loads nothing.
    DlgOptions& dialog = Open(ConversionOptions{});
    WithModal<OptionListDlg>([&] { Click(dialog, "loadButton"); },
                             [](OptionListDlg& list) { QTest::keyClick(&list, Qt::Key_Escape); });
    Click(dialog, "acceptButton");
    EXPECT_EQ(dialog.Options(), ConversionOptions{});
}

TEST_F(OptionsDialogTest, SaveWithAnEmptyNameIsToldAndStaysOpen) {
    DlgOptions& dialog = Open(ConversionOptions::Defaults());
    WithModal<DlgSaveOption>(
        [&] { Click(dialog, "saveButton"); },
        [&](DlgSaveOption& save) {
            Click(save, "okButton");
            QTest::keyClick(&Child<QLineEdit>(save, "optionName"), Qt::Key_Return);
            EXPECT_TRUE(save.isVisible());
            EXPECT_EQ(prompt_.Texts(), std::vector<std::string>(
                                           2, "Please enter the name of your conversion option."));
            QTest::keyClick(&save, Qt::Key_Escape);
        });
    EXPECT_EQ(store_.ReadInt("Settings", "PresetOptions", 0), 0);
    EXPECT_TRUE(dialog.isVisible());
    // A name beyond Latin-1 is refused, not saved as "?".
    prompt_.shown.clear();
    WithModal<DlgSaveOption>(
        [&] { Click(dialog, "saveButton"); },
        [&](DlgSaveOption& save) {
            Child<QLineEdit>(save, "optionName").setText(QString::fromUtf8("\xe2\x82\xac daily"));
            Click(save, "okButton");
            EXPECT_TRUE(save.isVisible());
            Click(save, "cancelButton");
        });
    EXPECT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(store_.ReadInt("Settings", "PresetOptions", 0), 0);
}

// The single file's name and the extension end up in a path: Accept refuses
// those that would leave the output directory, and text beyond Latin-1.
TEST_F(OptionsDialogTest, AcceptRefusesNamesThatCannotBeWritten) {
    struct Case {
        bool single;
        const char* edit;
        QString text;
        std::string message;
    };
    const Case cases[] = {
        {true, "fileName", QStringLiteral("../x"),
         "Output file name \"../x\" can not name a file in the output directory."},
        {true, "fileName", QStringLiteral(".."),
         "Output file name \"..\" can not name a file in the output directory."},
        {false, "extension", QStringLiteral("txt/../../y"),
         "File extension \"txt/../../y\" can not be part of a file name."},
        {false, "headerLine", QString::fromUtf8("Date \xe2\x82\xac"),
         "The header line, the file extension and the file name take Latin-1 characters only."},
    };
    for (const Case& c : cases) {
        prompt_.shown.clear();
        ConversionOptions options = ConversionOptions::Defaults();
        options.singleFile = c.single;
        DlgOptions& dialog = Open(options);
        Edit(c.edit).setText(c.text);
        Click(dialog, "acceptButton");
        EXPECT_TRUE(dialog.isVisible()) << c.edit;
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(dialog.Options(), options);
    }
}

}  // namespace
}  // namespace corvane::test
