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

TEST(QSettingsStoreTest, UserSettingsLiveUnderTheConfigHome) {
    QSettingsStore settings;
    settings.WriteInt("General", "Probe", 1);
    const QString expected = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
                             QStringLiteral("/Halbrook Labs/Corvane.conf");
    EXPECT_TRUE(QFile::exists(expected)) << expected.toStdString();
}

}  // namespace
}  // namespace corvane
