#pragma once

#include <QString>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Clock.h"
#include "Progress.h"
#include "Prompt.h"
#include "SelectionAnalysis.h"
#include "SettingsStore.h"

class QWidget;

namespace corvane {

// What the Market Breadth and Index dialogs reach outside themselves: the
// selection of the security list, the directory it shows, and the
// application's message boxes, clock and progress window.
struct AnalyticsContext {
    Prompt& prompt;
    const Clock& clock;
    EventPump& pump;
    SettingsStore& store;  // where the progress window keeps its position
    QWidget* mainWindow;   // disabled while a progress window runs modally
    std::filesystem::path directory;
    std::function<std::vector<SelectionRow>()> readSelection;
    std::function<void(const std::vector<std::string>& symbols)> selectSymbols;
    std::function<void()> reloadList;
    std::function<void(const QString& topic)> openHelp;
};

}  // namespace corvane
