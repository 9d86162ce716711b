#pragma once

#include <string>

namespace corvane {

inline constexpr const char* kStoreCaption = "Vaultix";
inline constexpr const char* kCanNotFindSecurity = "Can not find security: ";
inline constexpr const char* kCanNotOpenSecurityFile = "Can not open security file.";
inline constexpr const char* kSecurityExists = "Security already exists: ";

// What a caller tells the user when a security's bars or entry could not be
// written; `failure` is the writer's LastFailure().
inline std::string NotStoredText(const std::string& symbol, const std::string& failure) {
    return "Security " + symbol + " was not stored: " + failure + ".";
}

}  // namespace corvane
