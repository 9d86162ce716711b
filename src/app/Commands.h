#pragma once

namespace corvane {

// Command identifiers, as the menus, the toolbar, the shortcuts and the tray
// menu send them.
enum CommandId : int {
    kCmdNewSecurity = 57600,
    kCmdNewFolder = 32775,
    kCmdOpen = 32777,
    kCmdProperties = 32779,
    kCmdExit = 57665,
    kCmdDelete = 32773,
    kCmdRename = 32800,
    kCmdCut = 57635,
    kCmdCopy = 57634,
    kCmdPaste = 57637,
    kCmdSelectAll = 32774,
    kCmdToolbar = 59392,
    kCmdStatusBar = 59393,
    kCmdReport = 143,
    kCmdLargeIcons = 32785,
    kCmdSmallIcons = 32786,
    kCmdList = 32787,
    kCmdReports = 32788,
    kCmdDownload = 132,
    kCmdBatchDownload = 198,
    kCmdConvert = 146,
    kCmdMarketBreadth = 186,
    kCmdIndex = 201,
    kCmdScheduler = 32818,
    kCmdCharts = 32791,
    kCmdFundamentals = 32790,
    kCmdUpdateSymbols = 32808,
    kCmdCheckUpdates = 32810,
    kCmdSettings = 32813,
    kCmdContents = 32807,
    kCmdAbout = 57664,
    kCmdRestore = 32816,
    kCmdCheckRepair = 32830,
};

// When a command can be chosen.
enum class Availability {
    Always,
    TreeFocus,  // the directory tree has the keyboard focus
    Selection,  // rows, one of them selected, and not the price view
    Rows,       // rows, and not the price view
    Paste,      // text on the clipboard, and not the price view
};

struct CommandInfo {
    int id;
    const char* menuText;
    const char* prompt;  // status line, a line feed, tool tip; may be empty
    Availability availability;
    // False while the dialog the command opens is not part of the program
    // yet: the command stays disabled rather than pretend to work.
    bool built;
};

inline constexpr CommandInfo kCommands[] = {
    {kCmdNewSecurity, "&Security", "Create a new security\nNew", Availability::Always, true},
    {kCmdNewFolder, "&Folder", "Create a new folder", Availability::TreeFocus, true},
    {kCmdOpen, "&Open", "Display data for selected security\nOpen", Availability::Selection, true},
    {kCmdProperties, "&Properties", "View security properties\nProperties", Availability::Selection,
     true},
    {kCmdExit, "E&xit", "Quit the application", Availability::Always, true},
    {kCmdDelete, "&Delete", "Delete selected security\nDelete", Availability::Selection, true},
    {kCmdRename, "&Rename", "Change symbol or security name\nRename", Availability::Selection,
     true},
    {kCmdCut, "C&ut", "Cut the selection and put it on the Clipboard", Availability::Selection,
     true},
    {kCmdCopy, "&Copy", "Copy the selection and put it on the Clipboard", Availability::Selection,
     true},
    {kCmdPaste, "&Paste", "Insert Clipboard contents", Availability::Paste, true},
    {kCmdSelectAll, "&Select All", "Select all items\nSelect All", Availability::Rows, true},
    {kCmdToolbar, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", Availability::Always,
     true},
    {kCmdStatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar",
     Availability::Always, true},
    {kCmdReport, "Last Collection &Report", "View last download report\nReport",
     Availability::Always, true},
    {kCmdLargeIcons, "Large Icons", "", Availability::Rows, true},
    {kCmdSmallIcons, "Small Icons", "", Availability::Rows, true},
    {kCmdList, "List", "", Availability::Rows, true},
    {kCmdReports, "Reports", "", Availability::Rows, true},
    {kCmdDownload, "&Download ", "Download historic security data\nDownload",
     Availability::Selection, true},
    {kCmdBatchDownload, "Batch Download", "Download MetaStock directories", Availability::Always,
     false},
    {kCmdConvert, "&Convert to ASCII", "Convert files to ASCII format", Availability::Selection,
     false},
    {kCmdMarketBreadth, "&Market Breadth", "Calculate market breadth data", Availability::Selection,
     true},
    {kCmdIndex, "Index", "Create a group index", Availability::Selection, true},
    {kCmdScheduler, "Sch&eduler", "Set new task schedule", Availability::Always, false},
    {kCmdCharts, "Charts", "", Availability::Selection, true},
    {kCmdFundamentals, "Fundamentals", "View fundamental data for selected security",
     Availability::Selection, true},
    {kCmdCheckRepair, "Check and &repair",
     "Check the directory and mend what can be mended\nCheck and repair", Availability::Always,
     true},
    {kCmdUpdateSymbols, "&Update symbol database", "Update securities symbols",
     Availability::Always, true},
    {kCmdCheckUpdates, "C&heck for product updates", "", Availability::Always, false},
    {kCmdSettings, "&Settings", "Change Corvane settings\nSettings", Availability::Always, false},
    {kCmdContents, "&Contents", "Open help files", Availability::Always, true},
    {kCmdAbout, "&About", "", Availability::Always, true},
    {kCmdRestore, "&Restore", "Restore Corvane window", Availability::Always, true},
};

}  // namespace corvane
