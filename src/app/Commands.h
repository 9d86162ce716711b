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
enum class CommandAvailability {
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
    CommandAvailability availability;
};

inline constexpr CommandInfo kCommands[] = {
    {kCmdNewSecurity, "&Security", "Create a new security\nNew", CommandAvailability::Always},
    {kCmdNewFolder, "&Folder", "Create a new folder", CommandAvailability::TreeFocus},
    {kCmdOpen, "&Open", "Display data for selected security\nOpen", CommandAvailability::Selection},
    {kCmdProperties, "&Properties", "View security properties\nProperties",
     CommandAvailability::Selection},
    {kCmdExit, "E&xit", "Quit the application", CommandAvailability::Always},
    {kCmdDelete, "&Delete", "Delete selected security\nDelete", CommandAvailability::Selection},
    {kCmdRename, "&Rename", "Change symbol or security name\nRename",
     CommandAvailability::Selection},
    {kCmdCut, "C&ut", "Cut the selection and put it on the Clipboard",
     CommandAvailability::Selection},
    {kCmdCopy, "&Copy", "Copy the selection and put it on the Clipboard",
     CommandAvailability::Selection},
    {kCmdPaste, "&Paste", "Insert Clipboard contents", CommandAvailability::Paste},
    {kCmdSelectAll, "&Select All", "Select all items\nSelect All", CommandAvailability::Rows},
    {kCmdToolbar, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar",
     CommandAvailability::Always},
    {kCmdStatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar",
     CommandAvailability::Always},
    {kCmdReport, "Last Collection &Report", "View last download report\nReport",
     CommandAvailability::Always},
    {kCmdLargeIcons, "Large Icons", "", CommandAvailability::Rows},
    {kCmdSmallIcons, "Small Icons", "", CommandAvailability::Rows},
    {kCmdList, "List", "", CommandAvailability::Rows},
    {kCmdReports, "Reports", "", CommandAvailability::Rows},
    {kCmdDownload, "&Download ", "Download historic security data\nDownload",
     CommandAvailability::Selection},
    {kCmdBatchDownload, "Batch Download", "Download MetaStock directories",
     CommandAvailability::Always},
    {kCmdConvert, "&Convert to ASCII", "Convert files to ASCII format",
     CommandAvailability::Selection},
    {kCmdMarketBreadth, "&Market Breadth", "Calculate market breadth data",
     CommandAvailability::Selection},
    {kCmdIndex, "Index", "Create a group index", CommandAvailability::Selection},
    {kCmdScheduler, "Sch&eduler", "Set new task schedule", CommandAvailability::Always},
    {kCmdCharts, "Charts", "", CommandAvailability::Selection},
    {kCmdFundamentals, "Fundamentals", "View fundamental data for selected security",
     CommandAvailability::Selection},
    {kCmdCheckRepair, "Check and &repair",
     "Check the directory and mend what can be mended\nCheck and repair",
     CommandAvailability::Always},
    {kCmdUpdateSymbols, "&Update symbol database", "Update securities symbols",
     CommandAvailability::Always},
    {kCmdCheckUpdates, "C&heck for product updates", "", CommandAvailability::Always},
    {kCmdSettings, "&Settings", "Change Corvane settings\nSettings", CommandAvailability::Always},
    {kCmdContents, "&Contents", "Open help files", CommandAvailability::Always},
    {kCmdAbout, "&About", "", CommandAvailability::Always},
    {kCmdRestore, "&Restore", "Restore Corvane window", CommandAvailability::Always},
};

}  // namespace corvane
