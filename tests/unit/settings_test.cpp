// settings_test.cpp -- the settings file's text: the display keys set where a player's file
// has them or should, every other byte kept; the lines that are no setting; a linked file
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/settings_file.h"

namespace {
struct Edit {
    const char* before;
    const char* after;  // with scale = 2 and fullscreen = no set in [display]
};

// Each a way the place for the keys was once found wrong.
const Edit edits[] = {
    {"", "[display]\nscale = 2\nfullscreen = no\n"},
    {"[keys]\nleft = a", "[keys]\nleft = a\n\n[display]\nscale = 2\nfullscreen = no\n"},
    {"[display]", "[display]\nscale = 2\nfullscreen = no\n"},
    {"\xef\xbb\xbf[Display]\nSCALE =auto  \n[pad]\n",
     "\xef\xbb\xbf[Display]\nSCALE =2  \nfullscreen = no\n[pad]\n"},
    {"scale = 5\n[display]\nscale = 7\nscale = 8\n",
     "scale = 5\n[display]\nscale = 2\nscale = 8\nfullscreen = no\n"},
    {"[keys]\r\nleft = a\r\n",
     "[keys]\r\nleft = a\r\n\r\n[display]\r\nscale = 2\r\nfullscreen = no\r\n"},
};

TEST(SettingsFile, SetsTheDisplayKeysAndKeepsTheRest) {
    for (const Edit& edit : edits) {
        SettingsFile file = settingsOfText(edit.before);
        file.set("display", "scale", "2");
        file.set("display", "fullscreen", "no");
        EXPECT_EQ(file.text(), edit.after) << "from " << edit.before;
    }
}

TEST(SettingsFile, NamesTheLinesThatAreNoSetting) {
    const SettingsFile file =
        settingsOfText("# c\n\n  \n[display\nk=\n=1\n[]\nkey\na b = c\n[s]\n\tx = [y]\r\n");
    EXPECT_EQ(file.badLines(), (std::vector<int>{4, 6, 7, 8, 9}));
}

TEST(SettingsFile, SavedThroughALinkItStaysALink) {
    const std::filesystem::path folder = testing::TempDir() + "settings_link";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "real.cfg") << "[display]\nscale = 1\n";
    std::filesystem::permissions(folder / "real.cfg", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("real.cfg", folder / "settings.cfg");
    std::string problem;
    ASSERT_TRUE(writeSettingsFile((folder / "settings.cfg").string(), "new\n", problem));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "settings.cfg"));
    std::ostringstream text;
    text << std::ifstream(folder / "real.cfg").rdbuf();
    EXPECT_EQ(text.str(), "new\n");
    EXPECT_EQ(std::filesystem::status(folder / "real.cfg").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    std::filesystem::remove_all(folder);
}
}  // namespace
