// replay_runner_test.cpp -- driftwing-replay's command line, trace lines, pictures and exit codes
#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "support/scenario.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {
// A short game with shots in flight, enemies destroyed and gunners firing, ended by Escape.
const char* const busyGame =
    "2 -\n"
    "1 S\n"
    "400 SPACE\n"
    "1 ESC\n"
    "50 -\n";

bool isRowOfIntegers(const json& row, size_t size) {
    if (!row.is_array() || row.size() != size) return false;
    for (const json& v : row) {
        if (!v.is_number_integer()) return false;
    }
    return true;
}

// 64-bit FNV-1a over a picture's pixel bytes, row by row.
std::string pictureHash(BITMAP* picture) {
    uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < picture->h; ++y) {
        for (int x = 0; x < picture->w; ++x) {
            hash ^= static_cast<uint8_t>(getpixel(picture, x, y));
            hash *= 1099511628211ull;
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

int bitsPerPixelOfBmp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[30] = {};
    in.read(header, sizeof header);
    return static_cast<uint8_t>(header[28]) | static_cast<uint8_t>(header[29]) << 8;
}

// Opens the library once for load_bmp in memory.
class AllegroForPictures : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
        set_color_depth(8);
    }
};
const ::testing::Environment* const allegro =
    ::testing::AddGlobalTestEnvironment(new AllegroForPictures);

// A folder whose data/ holds the generated assets except the ones named.
std::string dataFolderWithout(const std::set<std::string>& missing) {
    std::string folder = scratchPath("data-folder");
    fs::create_directories(folder + "/data");
    for (const auto& entry : fs::directory_iterator(buildFolder() + "/data")) {
        std::string name = entry.path().filename().string();
        if (!missing.count(name)) fs::copy_file(entry.path(), folder + "/data/" + name);
    }
    return folder;
}
}  // namespace

TEST(TraceLines, CarryEveryFieldInTheAgreedShape) {
    ReplayRun run = runReplay(busyGame);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.frames.size(), 405u) << "frame 0, then 404 frames, the last one with Escape";

    const std::set<std::string> integerFields = {
        "frame",       "gameMode",    "stepTick", "titleBlinkTick", "backdropScroll",
        "scrollY",     "topRow",      "shipOffsetX", "shipOffsetY", "shipX",
        "shipY",       "glideDir",    "shipFrame", "shipFrameTick", "fireTick",
        "shotCursor"};
    const std::regex hexHash("[0-9a-f]{16}");
    bool sawFlyingShot = false, sawExplosion = false, sawGunnerShot = false;
    for (size_t n = 0; n < run.frames.size(); ++n) {
        const json& line = run.frames[n];
        SCOPED_TRACE("frame " + std::to_string(n));
        ASSERT_TRUE(line.is_object());
        std::set<std::string> keys;
        for (auto it = line.begin(); it != line.end(); ++it) keys.insert(it.key());
        std::set<std::string> expected = integerFields;
        expected.insert({"scoreDigits", "playerShots", "divers", "gunners", "sounds", "pixels"});
        if (n + 1 == run.frames.size()) expected.insert("quit");
        ASSERT_EQ(keys, expected);

        for (const std::string& f : integerFields) EXPECT_TRUE(line[f].is_number_integer()) << f;
        EXPECT_EQ(line["frame"], n);
        EXPECT_TRUE(isRowOfIntegers(line["scoreDigits"], 9));

        ASSERT_EQ(line["playerShots"].size(), 21u);
        for (const json& shot : line["playerShots"]) {
            ASSERT_TRUE(isRowOfIntegers(shot, 3)) << shot;
            sawFlyingShot |= shot[0] == 2;
        }
        ASSERT_EQ(line["divers"].size(), 51u);
        for (const json& diver : line["divers"]) {
            ASSERT_TRUE(diver.is_array() && diver.size() == 8) << diver;
            for (size_t i = 0; i < 7; ++i) ASSERT_TRUE(diver[i].is_number_integer()) << diver;
            ASSERT_TRUE(isRowOfIntegers(diver[7], 5)) << diver;
            sawExplosion |= diver[7][3] == 2;
        }
        ASSERT_EQ(line["gunners"].size(), 51u);
        for (const json& gunner : line["gunners"]) {
            ASSERT_TRUE(gunner.is_array() && gunner.size() == 9) << gunner;
            for (size_t i = 0; i < 7; ++i) ASSERT_TRUE(gunner[i].is_number_integer()) << gunner;
            ASSERT_TRUE(isRowOfIntegers(gunner[7], 5)) << gunner;
            ASSERT_TRUE(gunner[8].is_array() && gunner[8].size() == 21) << gunner;
            for (const json& shot : gunner[8]) {
                ASSERT_TRUE(isRowOfIntegers(shot, 3)) << gunner;
                sawGunnerShot |= shot[0] == 2;
            }
        }
        ASSERT_TRUE(line["sounds"].is_array());
        for (const json& sound : line["sounds"]) {
            ASSERT_TRUE(sound.is_array() && sound.size() == 5) << sound;
            ASSERT_TRUE(sound[0].is_string()) << sound;
            EXPECT_TRUE(sound[0] == "music" || sound[0] == "shot" || sound[0] == "blast") << sound;
            for (size_t i = 1; i < 5; ++i) ASSERT_TRUE(sound[i].is_number_integer()) << sound;
        }
        ASSERT_TRUE(line["pixels"].is_string());
        EXPECT_TRUE(std::regex_match(line["pixels"].get<std::string>(), hexHash)) << line["pixels"];
    }
    EXPECT_EQ(run.frames.back()["quit"], true);
    // The trace follows the game, not a frozen copy of it.
    EXPECT_TRUE(sawFlyingShot);
    EXPECT_TRUE(sawExplosion);
    EXPECT_TRUE(sawGunnerShot);
}

TEST(TraceLines, HashThePictureOfEachFrame) {
    // Frame 0 is the cleared backBuffer: 320 x 300 bytes of colour 0.
    uint64_t cleared = 14695981039346656037ull;
    for (int i = 0; i < 320 * 300; ++i) cleared *= 1099511628211ull;
    char expected[17];
    std::snprintf(expected, sizeof expected, "%016llx", static_cast<unsigned long long>(cleared));

    ReplayRun run = runReplay("1 -\n1 S\n2 -\n", {"--shot", "1:" + scratchPath("title.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.frames.size(), 5u);
    EXPECT_EQ(run.frames[0]["pixels"], expected);
    EXPECT_NE(run.frames[1]["pixels"], expected) << "the title screen is drawn on frame 1";
    EXPECT_NE(run.frames[3]["pixels"], run.frames[1]["pixels"]) << "a game looks different";
}

TEST(Pictures, AreEightBitFramesInTheGamesPaletteMatchingTheTrace) {
    // Frames 1 to 4 show the same title picture (S is seen after frame 4 is drawn);
    // the game's frames all differ. Every frame is written, and each picture must
    // hash to its own line's value.
    const int lastFrame = 9;
    std::vector<std::string> args;
    std::vector<std::string> paths;
    for (int n = 0; n <= lastFrame; ++n) {
        paths.push_back(scratchPath("frame" + std::to_string(n) + ".bmp"));
        args.insert(args.end(), {"--shot", std::to_string(n) + ":" + paths.back()});
    }
    std::string again = scratchPath("frame5-again.bmp");
    std::string never = scratchPath("frame900.bmp");
    args.insert(args.end(), {"--shot", "5:" + again, "--shot", "900:" + never});
    ReplayRun run = runReplay("3 -\n1 S\n5 SPACE\n", args);
    ASSERT_EQ(run.exitCode, 0) << "a frame never reached leaves the exit status alone\n"
                               << run.errors;
    ASSERT_EQ(run.frames.size(), lastFrame + 1u);
    EXPECT_FALSE(fs::exists(never));
    EXPECT_NE(run.errors.find("900"), std::string::npos) << run.errors;
    EXPECT_EQ(run.frames[4]["pixels"], run.frames[1]["pixels"]);
    EXPECT_NE(run.frames[5]["pixels"], run.frames[4]["pixels"]);

    PALETTE backdropPalette;
    BITMAP* backdropPicture = load_bmp((buildFolder() + "/data/back.bmp").c_str(), backdropPalette);
    ASSERT_NE(backdropPicture, nullptr);
    destroy_bitmap(backdropPicture);

    paths.push_back(again);
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        size_t frame = i <= lastFrame ? i : 5;
        SCOPED_TRACE(path);
        ASSERT_TRUE(fs::exists(path));
        EXPECT_EQ(bitsPerPixelOfBmp(path), 8);
        PALETTE palette;
        BITMAP* picture = load_bmp(path.c_str(), palette);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->w, 320);
        EXPECT_EQ(picture->h, 300);
        EXPECT_EQ(pictureHash(picture), run.frames[frame]["pixels"]) << "frame " << frame;
        destroy_bitmap(picture);
        // The game shows every picture in the palette that back.bmp brought.
        for (int c = 0; c < 256; ++c) {
            ASSERT_EQ(palette[c].r, backdropPalette[c].r) << "colour " << c;
            ASSERT_EQ(palette[c].g, backdropPalette[c].g) << "colour " << c;
            ASSERT_EQ(palette[c].b, backdropPalette[c].b) << "colour " << c;
        }
    }
}

TEST(BadScripts, AreRefusedWithTheirLineBeforeAnythingRuns) {
    const std::pair<const char*, int> scripts[] = {
        {"1 -\nnonsense\n", 2},
        {"# start\n1 -\n\n1 JUMP\n", 4},
        {"0 S\n", 1},
        {"1 -\n-5 S\n", 2},
        {"1 -\n1 -\n2147483648 -\n", 3},
        {"1 left\n", 1},
        {"1 S 2\n", 1},
    };
    for (const auto& [script, line] : scripts) {
        std::string picture = scratchPath("never.bmp");
        ReplayRun run = runReplay(script, {"--shot", "0:" + picture});
        EXPECT_EQ(run.exitCode, 2) << script;
        EXPECT_NE(run.errors.find("line " + std::to_string(line)), std::string::npos)
            << script << "\n" << run.errors;
        EXPECT_TRUE(run.frames.empty()) << "no trace for a bad script: " << script;
        EXPECT_FALSE(fs::exists(picture)) << script;
    }
}

TEST(BadScripts, LargestCountIsAcceptedAndEscapeStillEndsTheRun) {
    ReplayRun run = runReplay("2147483647 ESC\n2147483647 -\n");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.frames.size(), 2u);
}

TEST(BadCommandLines, AreRefusedWithExitTwoAndAMessage) {
    std::string script = scratchPath("ok.keys");
    std::ofstream(script) << "3 -\n";
    std::string folder = scratchPath("folder");
    fs::create_directory(folder);
    const std::vector<std::vector<std::string>> commandLines = {
        {"--fast", script},
        {"-x", script},
        {"--trace"},
        {script, "--data"},
        {"--shot", "abc", script},
        {"--shot", "5", script},
        {"--shot", "5:", script},
        {"--shot", "-1:x.bmp", script},
        {},
        {script, script},
        {scratchPath("no-such-script.keys")},
        {"--trace", "/no-such-folder/trace.jsonl", script},
        {"--shot", "1:/no-such-folder/one.bmp", script},
        {"--shot", "1:" + folder, script},  // a folder, not a file
        {"--data", "/no-such-folder", script},
    };
    for (const std::vector<std::string>& args : commandLines) {
        std::string printed;
        for (const std::string& a : args) printed += a + " ";
        ReplayRun run = runReplayProcess(args, "", nullptr);
        EXPECT_EQ(run.exitCode, 2) << printed;
        EXPECT_NE(run.errors.find("driftwing-replay: "), std::string::npos) << printed;
    }
}

TEST(StartUpFailures, EndWithExitOneNamingTheMissingFile) {
    ReplayRun run = runReplayProcess({"--data", dataFolderWithout({"back.bmp"}), "-"}, "5 -\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("data/back.bmp"), std::string::npos) << run.errors;

    run = runReplayProcess({"--data", dataFolderWithout({"gmsong.wav"}), "-"}, "5 -\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("data/gmsong.wav"), std::string::npos) << run.errors;

    run = runReplayProcess({"--data", dataFolderWithout({}), "-"}, "5 -\n");
    EXPECT_EQ(run.exitCode, 0) << "a full copy of data/ is enough: " << run.errors;
}

TEST(StandardStreams, ScriptFromStandardInputAndTraceToStandardOutput) {
    const std::string script = "1 -\n1 S\n30 RIGHT+SPACE\n";
    std::string output;
    ReplayRun piped =
        runReplayProcess({"--data", buildFolder(), "--trace", "-", "-"}, script, &output);
    ASSERT_EQ(piped.exitCode, 0) << piped.errors;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) piped.frames.push_back(json::parse(line));
    EXPECT_TRUE(sameTrace(piped, runReplay(script)));
    EXPECT_EQ(piped.frames.size(), 33u);
}

TEST(StandardStreams, NoTraceMeansNothingOnStandardOutput) {
    std::string output;
    ReplayRun run = runReplayProcess({"-"}, "1 -\n1 S\n100 SPACE\n", &output);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(output.empty());
    EXPECT_TRUE(run.errors.empty()) << run.errors;
}

TEST(DataFolder, IsUsedForAssetsWhileOutputPathsStayWhereTheyWereGiven) {
    // Run from the build folder with --data elsewhere: relative output paths still
    // land in the build folder, where the command was started.
    std::string data = dataFolderWithout({});
    std::string stem = "replay-test-" + std::to_string(getpid());
    std::string trace = stem + ".jsonl", picture = stem + ".bmp";
    ReplayRun run = runReplayProcess(
        {"--data", data, "--trace", trace, "--shot", "2:" + picture, "-"}, "1 -\n1 S\n1 -\n");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(fs::exists(buildFolder() + "/" + trace));
    EXPECT_TRUE(fs::exists(buildFolder() + "/" + picture));
    EXPECT_FALSE(fs::exists(data + "/" + trace));
    EXPECT_FALSE(fs::exists(data + "/" + picture));
    fs::remove(buildFolder() + "/" + trace);
    fs::remove(buildFolder() + "/" + picture);
}
