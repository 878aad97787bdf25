// The settings reader and the INI parsing under it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/WindowSettings.h"
#include "platform/IniReader.h"
#include "TestSupport.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    // In the process's own folder: test runs go on in parallel, other suites' too.
    std::string path = testsupport::ProcessScratchDir() + "/settings.ini";

    WindowSettings read(const std::string& text) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return ReadWindowSettings(path);
    }
    void TearDown() override { std::remove(path.c_str()); }
};

void ExpectSettings(const WindowSettings& s, int width, int height, int refreshRate, float gamma) {
    EXPECT_EQ(s.width, width);
    EXPECT_EQ(s.height, height);
    EXPECT_EQ(s.refreshRate, refreshRate);
    EXPECT_FLOAT_EQ(s.gamma, gamma);
    EXPECT_EQ(s.windowMode, Windowed);
}

void ExpectDefaults(const WindowSettings& s) {
    ExpectSettings(s, 1280, 768, 60, 1.0f);
}

TEST_F(SettingsFile, MissingFileOrSectionGivesDefaults) {
    ExpectDefaults(ReadWindowSettings(testsupport::ProcessScratchDir() + "/no_such_dir/settings.ini"));
    ExpectDefaults(read("[other]\nwidth=800\nheight=600\n"));
}

// Whatever stands in the file's place and cannot be read as a file gives the defaults at
// once: a folder, a FIFO with no writer (which a plain open would wait on for ever), a
// file whose read fails.
TEST_F(SettingsFile, UnreadableFileGivesDefaultsWithoutBlocking) {
    std::remove(path.c_str());
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    ExpectDefaults(ReadWindowSettings(path));
    ASSERT_EQ(rmdir(path.c_str()), 0);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    ExpectDefaults(ReadWindowSettings(path));
    std::remove(path.c_str());
    ExpectDefaults(ReadWindowSettings("/proc/self/mem"));
}

TEST_F(SettingsFile, ReadsAllFiveKeysAndKeepsDefaultsForMissingOnes) {
    ExpectSettings(read("[window]\nwidth=1920\nheight=1080\nrefreshrate=144\ngamma=2\nfullscreen=0\n"), 1920, 1080,
                   144, 2.0f);
    ExpectSettings(read("[window]\nwidth=1024\n"), 1024, 768, 60, 1.0f);
}

TEST_F(SettingsFile, FullscreenValueMapsToWindowMode) {
    const struct {
        const char* value;
        int32_t mode;
    } cases[] = {{"0", Windowed}, {"1", Fullscreen}, {"2", Borderless}, {"5", Borderless}, {"-1", Borderless}};
    for (const auto& c : cases) {
        EXPECT_EQ(read(std::string("[window]\nfullscreen=") + c.value + "\n").windowMode, c.mode) << c.value;
    }
}

TEST_F(SettingsFile, NonPositiveValuesFallBackToTheirDefaults) {
    const WindowSettings s = read("[window]\nwidth=0\nheight=-768\nrefreshrate=-30\ngamma=0\n");
    EXPECT_EQ(s.width, 1280);
    EXPECT_EQ(s.height, 768);
    EXPECT_EQ(s.refreshRate, 60);
    EXPECT_FLOAT_EQ(s.gamma, 1.0f);
    EXPECT_FLOAT_EQ(read("[window]\ngamma=-2\n").gamma, 1.0f);
}

TEST_F(SettingsFile, IniNamesMatchWithoutCaseAndValuesMayHaveBlanksAndSign) {
    read("\xEF\xBB\xBF; settings\r\n[ WINDOW ]\r\n  Width = 1600  \r\nHEIGHT\t=\t+900\r\n# note\r\nGamma=-3\r\n");
    const os::IniReader ini(path);
    EXPECT_EQ(ini.getInt("window", "width", 1), 1600);
    EXPECT_EQ(ini.getInt("Window", "height", 1), 900);
    EXPECT_EQ(ini.getInt("window", "GAMMA", 1), -3);
    EXPECT_EQ(ini.getInt("window", "fullscreen", 7), 7);
    EXPECT_EQ(ini.getInt("other", "width", 7), 7);
}

TEST_F(SettingsFile, IniValuesThatAreNoPlainIntegerGiveTheDefault) {
    read("[window]\na=abc\nb=12abc\nc=\nd=99999999999\ne=-2147483648\nf=2147483647\ng=1.5\nh= - 4\n"
         "i=5\ni=6\n[other]\nj=1\n[window]\nj=2\n");
    const os::IniReader ini(path);
    for (const char* key : {"a", "b", "c", "d", "g", "h"}) EXPECT_EQ(ini.getInt("window", key, 42), 42) << key;
    EXPECT_EQ(ini.getInt("window", "e", 42), -2147483647 - 1);
    EXPECT_EQ(ini.getInt("window", "f", 42), 2147483647);
    EXPECT_EQ(ini.getInt("window", "i", 42), 5);  // the first one wins
    EXPECT_EQ(ini.getInt("window", "j", 42), 2);  // a section may come back
}

}  // namespace
