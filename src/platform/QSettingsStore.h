#pragma once

#include <QSettings>

#include "SettingsStore.h"

namespace corvane {

// The user's settings in QSettings (organisation "Halbrook Labs", application
// "Corvane"). Sections map to QSettings groups.
class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    // For tests and tools: settings kept in the given INI file.
    explicit QSettingsStore(const QString& iniPath);

    std::int32_t ReadInt(const std::string& section, const std::string& key,
                         std::int32_t fallback) const override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const override;
    void WriteInt(const std::string& section, const std::string& key, std::int32_t value) override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool Flush() override;

private:
    mutable QSettings settings_;
};

}  // namespace corvane
