#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "QSettingsStore.h"
#include "TempDir.h"

namespace corvane {
namespace {

TEST(QSettingsStoreTest, ValuesSurviveANewStoreOnTheSameFile) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Corvane.conf").string());
    {
        QSettingsStore settings(path);
        settings.WriteInt("Services", "Retries", 3);
        settings.WriteString("Services", "HistoryUrl", "http://127.0.0.1:8470");
    }
    QSettingsStore settings(path);
    EXPECT_EQ(settings.ReadInt("Services", "Retries", 0), 3);
    EXPECT_EQ(settings.ReadString("Services", "HistoryUrl", ""), "http://127.0.0.1:8470");
    EXPECT_EQ(settings.ReadInt("Services", "Missing", 42), 42);
    EXPECT_EQ(settings.ReadInt("Services", "HistoryUrl", 9), 9);  // not a number
}

TEST(QSettingsStoreTest, TextsReadBackByteForByte) {
    // A preset name typed for the store is Latin-1 ("B\xFCro"), a folder path
    // UTF-8; both, and bytes that are neither, come back as they were written.
    const std::string texts[] = {"B\xFCro CSV", "/home/j\xC3\xBCrgen/metastock/",
                                 std::string("\xFF\x00\xC3", 3), "", "\xEF\xBF\xBD"};
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Corvane.conf").string());
    {
        QSettingsStore settings(path);
        for (std::size_t i = 0; i < std::size(texts); ++i)
            settings.WriteString("Option1", "Text" + std::to_string(i), texts[i]);
    }
    QSettingsStore settings(path);
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(settings.ReadString("Option1", "Text" + std::to_string(i), "?"), texts[i]) << i;
    // UTF-8 stays readable in the file.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("j\xC3\xBCrgen"));
}

TEST(QSettingsStoreTest, UserSettingsLiveUnderTheConfigHome) {
    QSettingsStore settings;
    settings.WriteInt("General", "Probe", 1);
    const QString expected = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
                             QStringLiteral("/Halbrook Labs/Corvane.conf");
    EXPECT_TRUE(QFile::exists(expected)) << expected.toStdString();
}

}  // namespace
}  // namespace corvane
