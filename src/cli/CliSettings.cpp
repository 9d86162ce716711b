#include "CliSettings.h"

#include "InMemorySettingsStore.h"
#ifdef CORVANE_HAVE_QT
#include "QSettingsStore.h"
#endif

namespace corvane {

std::unique_ptr<SettingsStore> UserSettings() {
#ifdef CORVANE_HAVE_QT
    return std::make_unique<QSettingsStore>();
#else
    return std::make_unique<InMemorySettingsStore>();
#endif
}

}  // namespace corvane
