#pragma once

#include <memory>

#include "SettingsStore.h"

namespace corvane {

// The user's settings, as the app keeps them (in memory only when the tool
// was built without Qt).
std::unique_ptr<SettingsStore> UserSettings();

}  // namespace corvane
