#include "settings/settings_store.h"
#include "settings/window_geometry.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace brikmux {
namespace {

TEST(SettingsStore, ReturnsStoredTextUnchangedAndDefaultsOtherwise)
{
    SettingsStore store;
    EXPECT_EQ(store.GetSetting("BrikmuxTest", "Paths", "DATPath", "C:\\"), "C:\\");
    EXPECT_EQ(store.GetSetting("BrikmuxTest", "Settings", "WindowLeft", -7), "-7");
    for (const std::string value : {"", "C:\\", "/home/x/models", "@Variant(x)", " a;b=c \"q\" ", "ü/\xc3\xa9"}) {
        ASSERT_TRUE(store.SaveSetting("BrikmuxTest", "Paths", "DATPath", value));
        EXPECT_EQ(store.GetSetting("BrikmuxTest", "Paths", "DATPath", "default"), value);
    }
    EXPECT_EQ(store.GetSetting("BrikmuxTest", "Settings", "DATPath", "other section"), "other section");
}

TEST(SettingsStore, CopiesWritingAtOnceLoseNothing)
{
    // Several processes write their own keys at the same time; every key must survive.
    constexpr int kCopies = 4;
    constexpr int kKeys = 25;
    std::vector<pid_t> children;
    for (int copy = 0; copy < kCopies; ++copy) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SettingsStore store;
            for (int key = 0; key < kKeys; ++key) {
                store.SaveSetting("BrikmuxShared", "Paths", "k" + std::to_string(copy) + "_" + std::to_string(key),
                                  "v");
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "BrikmuxShared", "BrikmuxShared");
    settings.beginGroup("Paths");
    EXPECT_EQ(settings.childKeys().size(), kCopies * kKeys);
    EXPECT_EQ(settings.status(), QSettings::NoError);
}

TEST(WindowGeometry, CentringRoundsHalvesToEvenThenTruncatesTowardZero)
{
    const std::pair<float, int> cases[] = {{435.0F, 217},  {-435.0F, -217}, {15.0F, 7}, {-15.0F, -7}, {101.0F, 50},
                                           {-101.0F, -50}, {14.5F, 7},      {15.5F, 8}, {16.5F, 8},   {-16.5F, -8},
                                           {0.0F, 0},      {1.0F, 0},       {-1.0F, 0}, {2.5F, 1}};
    for (const auto& [difference, offset] : cases) {
        EXPECT_EQ(centringOffset(difference), offset) << difference;
    }
}

TEST(WindowGeometry, CoordinatesRoundTripThroughText)
{
    EXPECT_EQ(coordinateText(4575.0F), "4575");
    EXPECT_EQ(coordinateText(-150.0F), "-150");
    EXPECT_EQ(coordinateText(0.0F), "0");
    EXPECT_EQ(coordinateFromText(coordinateText(12.5F)), 12.5F);
    EXPECT_EQ(coordinateFromText(" -150 "), -150.0F);
    for (const char* text : {"", "left", "12px", "1 2", "nan", "inf"}) {
        EXPECT_FALSE(coordinateFromText(text).has_value()) << text;
    }
}

} // namespace
} // namespace brikmux

int main(int argc, char** argv)
{
    // A settings store of the tests' own.
    brikmux::testing::TempDir* config = new brikmux::testing::TempDir;
    setenv("XDG_CONFIG_HOME", config->path().c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    delete config;
    return status;
}
