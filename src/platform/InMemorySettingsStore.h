#pragma once

#include <map>
#include <utility>
#include <variant>

#include "SettingsStore.h"

namespace corvane {

// Settings held in memory only: for tests and for runs that must not touch
// the user's configuration.
class InMemorySettingsStore : public SettingsStore {
public:
    std::int32_t ReadInt(const std::string& section, const std::string& key,
                         std::int32_t fallback) const override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const override;
    void WriteInt(const std::string& section, const std::string& key, std::int32_t value) override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

private:
    using Key = std::pair<std::string, std::string>;
    std::map<Key, std::variant<std::int32_t, std::string>> values_;
};

}  // namespace corvane
