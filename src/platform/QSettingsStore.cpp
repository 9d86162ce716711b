#include "QSettingsStore.h"

namespace corvane {
namespace {

QString KeyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

QSettingsStore::QSettingsStore()
    : settings_(QStringLiteral("Halbrook Labs"), QStringLiteral("Corvane")) {}

QSettingsStore::QSettingsStore(const QString& iniPath) : settings_(iniPath, QSettings::IniFormat) {}

std::int32_t QSettingsStore::ReadInt(const std::string& section, const std::string& key,
                                     std::int32_t fallback) const {
    QVariant value = settings_.value(KeyPath(section, key));
    bool ok = false;
    qlonglong number = value.toLongLong(&ok);
    if (!ok || number < INT32_MIN || number > INT32_MAX) return fallback;
    return static_cast<std::int32_t>(number);
}

std::string QSettingsStore::ReadString(const std::string& section, const std::string& key,
                                       const std::string& fallback) const {
    QVariant value = settings_.value(KeyPath(section, key));
    if (!value.isValid()) return fallback;
    if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
    return value.toString().toStdString();
}

void QSettingsStore::WriteInt(const std::string& section, const std::string& key,
                              std::int32_t value) {
    settings_.setValue(KeyPath(section, key), value);
    settings_.sync();
}

void QSettingsStore::WriteString(const std::string& section, const std::string& key,
                                 const std::string& value) {
    // Texts are bytes: paths in UTF-8, names typed for the store in Latin-1.
    // UTF-8 stays readable text in the file; any other bytes are kept as
    // they are, so a value always reads back exactly as it was written.
    const QByteArray bytes = QByteArray::fromStdString(value);
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() == bytes)
        settings_.setValue(KeyPath(section, key), text);
    else
        settings_.setValue(KeyPath(section, key), bytes);
    settings_.sync();
}

bool QSettingsStore::Flush() {
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

}  // namespace corvane
