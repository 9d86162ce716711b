#pragma once

namespace corvane {

inline constexpr const char* kStoreCaption = "Vaultix";
inline constexpr const char* kCanNotFindSecurity = "Can not find security: ";
inline constexpr const char* kCanNotOpenSecurityFile = "Can not open security file.";
inline constexpr const char* kSecurityExists = "Security already exists: ";

}  // namespace corvane
