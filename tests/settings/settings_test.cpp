#include "settings/settings_store.h"
#include "settings/window_geometry.h"
#include "test_support.h"

#include <QByteArray>
#include <QSettings>
#include <QtGlobal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

#ifdef _WIN32
#include "app/remembered_settings.h"
#endif

namespace brikmux {
namespace {

TEST(SettingsStore, ReturnsStoredTextUnchangedAndDefaultsOtherwise)
{
    SettingsStore store;
    const std::filesystem::path config = qgetenv("XDG_CONFIG_HOME").toStdString();
    EXPECT_EQ(store.GetSetting("BrikmuxTest", "Settings", "WindowLeft", -7), "-7");
    for (const std::string value : {"", "C:\\", "@Variant(x)", " a;b=c \"q\" ", "ü/\xc3\xa9"}) {
        ASSERT_TRUE(store.SaveSetting("BrikmuxTest", "Paths", "DATPath", value));
        EXPECT_EQ(store.GetSetting("BrikmuxTest", "Paths", "DATPath", "default"), value);
    }
    EXPECT_EQ(store.GetSetting("BrikmuxTest", "Settings", "DATPath", "other section"), "other section");
#ifndef _WIN32
    // A store that cannot be written says so (a file stands where its folder goes).
    std::FILE* blocker = std::fopen((config / "BrikmuxBlocked").string().c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
    EXPECT_FALSE(store.SaveSetting("BrikmuxBlocked", "Paths", "DATPath", "x"));
#endif
}

TEST(WindowGeometry, CentringRoundsHalvesToEvenThenTruncatesAndCoordinatesRoundTrip)
{
    const std::pair<float, int> cases[] = {{435.0F, 217}, {-435.0F, -217}, {14.5F, 7}, {15.5F, 8},
                                           {16.5F, 8},    {-16.5F, -8},    {1.0F, 0},  {2.5F, 1}};
    for (const auto& [difference, offset] : cases) {
        EXPECT_EQ(centringOffset(difference), offset) << difference;
    }
    EXPECT_EQ(coordinateText(-150.0F), "-150");
    EXPECT_EQ(coordinateFromText(coordinateText(12.5F)), 12.5F);
    EXPECT_EQ(coordinateFromText(" -150 "), -150.0F);
    for (const char* text : {"", "left", "12px", "nan", "inf"}) {
        EXPECT_FALSE(coordinateFromText(text).has_value()) << text;
    }
}

#ifdef _WIN32
// The window's store is the registry key that brikmux-cli reads without Qt; both must agree on
// the key, the value type and the text's encoding.
TEST(SettingsStore, WhatTheWindowStoresIsWhatTheCommandLineToolReads)
{
    SettingsStore store;
    for (const std::string value : {"C:\\", "D:\\LDraw\\",
                                    "Z:\\m\xc3\xb6"
                                    "dels\\Yellow brick\\",
                                    ""}) {
        ASSERT_TRUE(store.SaveSetting(kAppName, "Paths", "LDrawPath", value));
        EXPECT_EQ(rememberedSetting("Paths", "LDrawPath", "<absent>"), value);
    }
    ASSERT_TRUE(store.SaveSetting(kAppName, "Settings", "AuthorName", "J\xc3\xb6rg"));
    EXPECT_EQ(rememberedSetting("Settings", "AuthorName", "Brikmux"), "J\xc3\xb6rg");
    EXPECT_EQ(rememberedSetting("Settings", "NoSuchKey", "fallback"), "fallback");
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brikmux", "Brikmux").clear();
}
#endif

} // namespace
} // namespace brikmux

int main(int argc, char** argv)
{
    // A settings store of the tests' own.
    const brikmux::testing::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path().string()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
