#include "UrlOpening.h"

namespace corvane {

std::function<void(const QUrl&)> OpenerTellingFailures(Prompt& prompt,
                                                       std::function<bool(const QUrl&)> open) {
    return [&prompt, open = std::move(open)](const QUrl& url) {
        if (open(url)) return;
        const QString page = url.isLocalFile() ? url.toLocalFile() : url.toString();
        (void)prompt.Show(
            "No program is set up to open this page. Open it by hand:\n" + page.toStdString(),
            kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
    };
}

}  // namespace corvane
