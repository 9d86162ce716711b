#pragma once

#include <string>

#include "CDownloader.h"
#include "SettingsStore.h"

namespace corvane {

inline constexpr const char* kServicesSection = "Services";
inline constexpr const char* kDefaultServiceUrl = "http://127.0.0.1:8470";

// The service base URLs from the settings (section "Services": HistoryUrl,
// QuoteUrl, ForexUrl), each defaulting to the bundled gateway.
ServiceUrls LoadServiceUrls(const SettingsStore& settings);
// The maker's server (symbol database, update check): "Services", "MakerUrl".
std::string LoadMakerUrl(const SettingsStore& settings);
// Every service at one base URL, as "--services URL" asks.
ServiceUrls AllServicesAt(const std::string& baseUrl);

}  // namespace corvane
