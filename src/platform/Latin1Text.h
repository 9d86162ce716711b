#pragma once

#include <QString>

#include <optional>
#include <string>

namespace corvane {

// Symbols, names, settings and presets hold Latin-1 text, the single-byte
// encoding of the data files. A QString with a character beyond it has no
// Latin-1 form; it is refused rather than turned into "?".
inline std::optional<std::string> ToLatin1(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return std::nullopt;
    return text.toLatin1().toStdString();
}

inline QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// What to tell the user of text ToLatin1 refuses. Messages are Latin-1 too,
// so the characters are named by their code points.
inline std::string NotLatin1Message(const QString& text) {
    QString refused;
    for (const QChar c : text)
        if (c.unicode() > 0xFF && !refused.contains(c)) refused += c;
    std::string points;
    for (const QChar c : refused)
        points += (points.empty() ? "U+" : " U+") +
                  QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0').toStdString();
    return "Symbols and names can hold Western European (Latin-1) characters only; these typed "
           "characters cannot be stored: " +
           points + ".";
}

}  // namespace corvane
