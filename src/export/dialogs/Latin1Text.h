#pragma once

#include <QString>

#include <optional>
#include <string>

namespace corvane {

// Symbols, settings and presets hold Latin-1 text. A QString with a character
// beyond it has no Latin-1 form; it is refused rather than turned into "?".
inline std::optional<std::string> ToLatin1(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return std::nullopt;
    return text.toLatin1().toStdString();
}

inline QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace corvane
