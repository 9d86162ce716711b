#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// Sections of 32-bit integers and strings, read with a default when absent.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::int32_t ReadInt(const std::string& section, const std::string& key,
                                 std::int32_t fallback) const = 0;
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& fallback) const = 0;
    virtual void WriteInt(const std::string& section, const std::string& key,
                          std::int32_t value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    // Puts what was written where it lasts; false when some of it could not
    // be kept (a store that cannot be written).
    [[nodiscard]] virtual bool Flush() { return true; }
};

}  // namespace corvane
