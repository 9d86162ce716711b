#include "InMemorySettingsStore.h"

namespace corvane {

std::int32_t InMemorySettingsStore::ReadInt(const std::string& section, const std::string& key,
                                            std::int32_t fallback) const {
    auto it = values_.find({section, key});
    if (it == values_.end()) return fallback;
    if (auto* value = std::get_if<std::int32_t>(&it->second)) return *value;
    return fallback;
}

std::string InMemorySettingsStore::ReadString(const std::string& section, const std::string& key,
                                              const std::string& fallback) const {
    auto it = values_.find({section, key});
    if (it == values_.end()) return fallback;
    if (auto* value = std::get_if<std::string>(&it->second)) return *value;
    return fallback;
}

void InMemorySettingsStore::WriteInt(const std::string& section, const std::string& key,
                                     std::int32_t value) {
    values_[{section, key}] = value;
}

void InMemorySettingsStore::WriteString(const std::string& section, const std::string& key,
                                        const std::string& value) {
    values_[{section, key}] = value;
}

}  // namespace corvane
