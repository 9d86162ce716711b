#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "AppSettings.h"
#include "Clock.h"
#include "Prompt.h"
#include "SettingsStore.h"

namespace corvane {

// What the settings sheet and its pages reach: the settings record they edit
// and the store they write, and the parts of the main window they act on.
struct SheetServices {
    AppSettings& settings;
    SettingsStore& store;
    Prompt& prompt;
    const Clock& clock;
    std::filesystem::path shippedDirectory;  // Media/complete.wav
    std::function<bool()> applyStartWithWindows;
    std::function<void()> armTaskTimers;
    std::function<void(std::size_t slot)> disarmTaskTimer;
    std::function<void(const std::string& path)> playSound;
};

}  // namespace corvane
