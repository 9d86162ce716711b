#include "ServiceSettings.h"

namespace corvane {
namespace {

// Base URLs are joined with paths that begin with "/".
std::string WithoutTrailingSlash(std::string url) {
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url;
}

}  // namespace

ServiceUrls LoadServiceUrls(const SettingsStore& settings) {
    auto read = [&](const char* key) {
        return WithoutTrailingSlash(settings.ReadString(kServicesSection, key, kDefaultServiceUrl));
    };
    return ServiceUrls{read("HistoryUrl"), read("QuoteUrl"), read("ForexUrl")};
}

std::string LoadMakerUrl(const SettingsStore& settings) {
    return WithoutTrailingSlash(
        settings.ReadString(kServicesSection, "MakerUrl", kDefaultServiceUrl));
}

ServiceUrls AllServicesAt(const std::string& baseUrl) {
    const std::string url = WithoutTrailingSlash(baseUrl);
    return ServiceUrls{url, url, url};
}

}  // namespace corvane
