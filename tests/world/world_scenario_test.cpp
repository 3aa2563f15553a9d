// world_scenario_test.cpp -- the ship, its shots and the enemies over whole games, from the trace
#include <gtest/gtest.h>

#include "support/scenario.h"

using nlohmann::json;

namespace {
constexpr int title = 1, playing = 2;
constexpr int ready = 1, flying = 2;
constexpr int destroyed = 1, alive = 2;

// The values one expects over a run of frames, built from a rule per frame.
template <typename Rule>
std::vector<json> over(size_t count, Rule rule) {
    std::vector<json> values;
    for (size_t n = 0; n < count; ++n) values.push_back(rule(n));
    return values;
}

bool strictlyInside(int px, int py, int boxX, int boxY, int size) {
    return boxX < px && px < boxX + size && boxY < py && py < boxY + size;
}

// Divers and gunners whose corner lies inside the ship's box in this trace line.
std::vector<std::string> touchingTheShip(const json& line) {
    std::vector<std::string> found;
    const int sx = line["shipX"], sy = line["shipY"];
    for (size_t i = 0; i < line["divers"].size(); ++i) {
        const json& d = line["divers"][i];
        if (d[6] == alive && strictlyInside(d[4], d[5], sx, sy, 42)) {
            found.push_back("diver " + std::to_string(i));
        }
    }
    for (size_t i = 0; i < line["gunners"].size(); ++i) {
        const json& g = line["gunners"][i];
        if (g[6] == alive && strictlyInside(g[4], g[5], sx, sy, 42)) {
            found.push_back("gunner " + std::to_string(i));
        }
    }
    return found;
}
}  // namespace

TEST(IdleGame, ShipAnimatesAndGlidesLeftThenBouncesOffTheLeftEdge) {
    ReplayRun run = playScenario("world_idle_game.keys");
    // Frame 1 presses S; frame 2 is the game's first pass.
    EXPECT_TRUE(fieldRunsThrough(run, "shipFrame", 2, over(24, [](size_t n) {
                                     return n < 5 ? 1 : n < 11 ? 2 : n < 17 ? 3 : n < 23 ? 4 : 1;
                                 })));
    EXPECT_TRUE(
        fieldRunsThrough(run, "shipX", 2, over(25, [](size_t n) { return 150 - 6 * int(n); })));
    EXPECT_TRUE(fieldRunsThrough(run, "shipX", 26, {6, 12, 18, 24}));
    EXPECT_TRUE(fieldRunsThrough(run, "shipY", 2, over(30, [](size_t) { return 231; })));
}

TEST(IdleGame, EndsWhenADiverReachesTheShipInFrame128AndTheRestOfThatPassStillRuns) {
    ReplayRun run = playScenario("world_idle_game.keys");
    ASSERT_EQ(run.frames.size(), 202u);
    EXPECT_EQ(firstFrameWhere(run, [](const json& l) { return l["gameMode"] == playing; }), 1);
    const long end = firstFrameWhere(
        run, [](const json& l) { return l["gameMode"] == title; }, 2);
    ASSERT_EQ(end, 128);
    const json &before = run.frames[127], &last = run.frames[128];
    EXPECT_TRUE(touchingTheShip(before).empty());
    EXPECT_EQ(touchingTheShip(last), std::vector<std::string>{"diver 4"});
    EXPECT_EQ(last["topRow"], 249) << "long before the level end";
    // Enemies scanned after the touching diver (map row 273) still took their step.
    for (int slot : {1, 6}) EXPECT_EQ(last["divers"][slot][1], int(before["divers"][slot][1]) + 1);
    EXPECT_EQ(last["gunners"][0][0], int(before["gunners"][0][0]) + 1);
    // From then on nothing of the world moves, and the title screen does not count
    // towards the scroll.
    for (size_t n = 129; n < run.frames.size(); ++n) {
        for (const char* key :
             {"divers", "gunners", "playerShots", "shipX", "scrollY", "stepTick"}) {
            ASSERT_EQ(run.frames[n][key], last[key]) << key << " in frame " << n;
        }
    }
}

TEST(ShotFlight, RisesFromTheShipsYAndIsDrawnAtOneAsItTurnsReady) {
    ReplayRun run = playScenario("world_shot_flight.keys");
    ASSERT_EQ(run.frames.size(), 108u);
    const json launch = run.frames[47]["playerShots"][1];
    ASSERT_EQ(launch[0], flying) << "the tenth frame of Space launches shot 1";
    ASSERT_EQ(launch[2], 231);
    const int x = launch[1];
    std::vector<json> flight;
    for (size_t n = 48; n <= 93; ++n) flight.push_back(run.frames[n]["playerShots"][1]);
    EXPECT_EQ(flight, over(46, [x](size_t n) {
                  const int y = 226 - 5 * int(n);
                  return json::array({y < 5 ? ready : flying, x, y});
              }));
    const json& back = run.frames[94];
    EXPECT_EQ(back["playerShots"][1],
              json::array({ready, 150 + int(back["shipOffsetX"]) + 20, 231}));
    for (const json& line : run.frames) EXPECT_TRUE(line["sounds"].size() <= 1u);
}

TEST(FirstHit, DestroysTheDiverOnceAndItsExplosionKeepsItsScreenPointForSixtyFourCalls) {
    ReplayRun run = playScenario("world_first_hit.keys");
    ASSERT_EQ(run.frames.size(), 112u);
    const long hit =
        firstFrameWhere(run, [](const json& l) { return l["divers"][6][6] == destroyed; });
    ASSERT_EQ(hit, 30);
    const json& hitLine = run.frames[30];
    EXPECT_EQ(hitLine["sounds"], json::parse(R"([["blast",255,150,1000,0]])"));
    EXPECT_EQ(hitLine["playerShots"][1][0], ready);
    const json& diver = hitLine["divers"][6];
    const int x = diver[4], y = diver[5];
    EXPECT_EQ(diver[7], json::array({1, x, y, 2, 0}));
    for (int call = 1; call <= 64; ++call) {
        const json& e = run.frames[30 + call]["divers"][6][7];
        const int frame = call < 64 ? 1 + call / 4 : 17;
        ASSERT_EQ(e, json::array({frame, x, y, call < 64 ? 2 : 1, call % 4}))
            << "call " << call << " in frame " << 30 + call;
    }
    EXPECT_EQ(run.frames[94]["scrollY"], int(hitLine["scrollY"]) - 110) << "the level moved on";
    EXPECT_EQ(run.frames[111]["divers"][6][7], run.frames[94]["divers"][6][7]);
}

TEST(Steering, HoldsTheShipAtEitherEdgeAndNeverBeyond) {
    ReplayRun run = playScenario("world_steer_to_edges.keys");
    ASSERT_GT(run.frames.size(), 92u);
    // Left held in frames 25..32 keeps the ship at 6; Right from frame 33 carries it across.
    EXPECT_TRUE(fieldRunsThrough(run, "shipX", 26, over(9, [](size_t) { return 6; })));
    EXPECT_TRUE(
        fieldRunsThrough(run, "shipX", 34, over(50, [](size_t n) { return 6 + 6 * int(n); })));
    // Right held until frame 88 keeps it at 300; released, it glides left again.
    EXPECT_TRUE(fieldRunsThrough(run, "shipX", 83, {300, 300, 300, 300, 300, 300, 300, 300, 294}));
    for (size_t n = 2; n < run.frames.size(); ++n) {
        const json& line = run.frames[n];
        if (line["gameMode"] != playing) continue;
        const int shipX = line["shipX"];
        EXPECT_TRUE(shipX >= 6 && shipX <= 300 && shipX % 6 == 0) << "frame " << line["frame"];
    }
}
