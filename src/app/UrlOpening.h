#pragma once

#include <QUrl>

#include <functional>

#include "Prompt.h"

namespace corvane {

// Opens pages with `open` (the desktop's program for them). When there is
// no such program, the user is told, with the page named so that it can be
// opened by hand; otherwise nothing visible would happen.
std::function<void(const QUrl&)> OpenerTellingFailures(Prompt& prompt,
                                                       std::function<bool(const QUrl&)> open);

}  // namespace corvane
