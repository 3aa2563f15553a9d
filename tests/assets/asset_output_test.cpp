// asset_output_test.cpp -- the generator itself: the same bytes on every run, and the icon
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<char> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path freshFolder(const char* name) {
    fs::path dir = fs::temp_directory_path() / (std::string(name) + std::to_string(getpid()));
    fs::remove_all(dir);
    return dir;
}

bool generate(const fs::path& dir) {
    std::string cmd = std::string("'") + MAKE_ASSETS_PROGRAM + "' '" + dir.string() + "' '" +
                      (dir / "driftwing.png").string() + "'";
    return std::system(cmd.c_str()) == 0;
}

const char* const outputs[] = {"main.bmp", "back.bmp",   "main2.bmp",    "effect.wav",
                               "fall.wav", "gmsong.wav", "driftwing.png"};

TEST(AssetGenerator, WritesTheSameBytesOnEveryRun) {
    fs::path a = freshFolder("driftwing-assets-a"), b = freshFolder("driftwing-assets-b");
    ASSERT_TRUE(generate(a));
    ASSERT_TRUE(generate(b));
    for (const char* name : outputs) {
        std::vector<char> first = readAll(a / name), second = readAll(b / name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == second) << name << " differs between two runs";
        // And the build's own copy is what the generator writes today.
        if (fs::exists(fs::path("data") / name)) {
            EXPECT_TRUE(first == readAll(fs::path("data") / name))
                << "data/" << name << " is stale";
        }
    }
    // The icon: a PNG of 64 x 64 (width and height are the first fields of its header).
    std::vector<char> icon = readAll(a / "driftwing.png");
    ASSERT_GT(icon.size(), 24u);
    EXPECT_EQ(std::string(icon.begin() + 1, icon.begin() + 4), "PNG");
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(icon[at]) << 24) |
               (static_cast<unsigned char>(icon[at + 1]) << 16) |
               (static_cast<unsigned char>(icon[at + 2]) << 8) |
               static_cast<unsigned char>(icon[at + 3]);
    };
    EXPECT_EQ(be32(16), 64);
    EXPECT_EQ(be32(20), 64);
    fs::remove_all(a);
    fs::remove_all(b);
}

TEST(AssetGenerator, RefusesToRunWithoutAFolder) {
    std::string cmd = std::string("'") + MAKE_ASSETS_PROGRAM + "' 2>/dev/null";
    EXPECT_NE(std::system(cmd.c_str()), 0);
}

}  // namespace
