// frame_bench.cpp -- what one frame of work costs: everything but the retrace wait and the copy
//
// On the headless platform runFrame() is exactly the drawing, the world pass, the
// scroll and the key handling of a frame, so timing it times the frame's own work.
// The budget is a tenth of a 60 Hz frame: 167 microseconds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/headless.h"
#include "recordings/key_script.h"
#include "spine/frame.h"
#include "spine/machine.h"
#include "spine/screenshot.h"
#include "state/assets.h"
#include "state/keys.h"
#include "state/game_state.h"
#include "state/level.h"

namespace {
constexpr int32_t busiestTopRow = 247;  // ten enemies in view, the most anywhere in the level
constexpr int32_t firstLaunchedShot = 1;
constexpr int32_t lastLaunchedShot = 20;

KeyScript wholeGame;  // a whole game played to the level end, from bench/scripts

// Whole-session state saved once and put back before each measured frame.
GameState titleScreen;
GameState busyGame;
GameState gameStart;

// Game state after the first frame of a game started by S on the title screen
// (that frame places the ship).
void startGame() {
    game = titleScreen;
    runFrame(HeldS);
    runFrame(0);
}

// Screen y of a map row at the current scroll position.
int32_t rowY(int32_t row) {
    return row * cellSize - game.scrollY;
}

// A crowded moment: the busiest stretch of the level in view, every player shot in
// flight, half the enemies in view exploding and the rest's gunners all firing.
void buildBusyGame() {
    startGame();
    game.scrollY = busiestTopRow * cellSize;
    game.topRow = rowOfScroll(game.scrollY);
    for (int i = 0; i < 8; ++i) runFrame(0);  // enemies take their positions
    for (int32_t s = firstLaunchedShot; s <= lastLaunchedShot; ++s) {
        game.playerShots[s] = {Flying, 15 * s, 40 + 11 * s};
    }
    int enemies = 0;  // in view so far; every other one explodes, the others' gunners fire
    for (int32_t row = game.topRow; row < game.topRow + 31 && row <= levelRows; ++row) {
        for (int32_t column = 1; column <= levelColumns; ++column) {
            const int32_t code = levelMap[row][column];
            const bool diver = code >= firstDiverCode && code <= lastDiverCode;
            const bool gunner = code >= firstGunnerCode && code <= lastGunnerCode;
            if (!diver && !gunner) continue;
            const bool explodes = enemies++ % 2 == 0;
            const Explosion explosion = {1 + enemies % 14, column * cellSize, rowY(row),
                                         explosionRunning, 0};
            if (diver && explodes) {
                game.divers[code - firstDiverCode].state = Destroyed;
                game.divers[code - firstDiverCode].explosion = explosion;
            }
            if (gunner && explodes) {
                game.gunners[code - firstGunnerCode].state = Destroyed;
                game.gunners[code - firstGunnerCode].explosion = explosion;
            }
            if (gunner && !explodes) {
                Gunner& g = game.gunners[code - firstGunnerCode];
                for (int s = 1; s < gunnerShotCount; ++s) {
                    g.shots[s] = {Flying, column * cellSize + 20, rowY(row) + 6 * s};
                }
            }
        }
    }
}

void startSessionOnce() {
    if (chdir(DRIFTWING_BUILD_DIR) != 0) {
        std::perror(DRIFTWING_BUILD_DIR);
        std::exit(1);
    }
    useMachine(headlessPlatform);
    if (startUp() != 0) std::exit(1);
    titleScreen = game;
    startGame();
    gameStart = game;
    buildBusyGame();
    busyGame = game;

    std::ifstream file(DRIFTWING_KEY_SCRIPTS "/whole_game.keys");
    std::stringstream text;
    text << file.rdbuf();
    wholeGame = parseKeyScript(text.str());
    if (!file || !wholeGame.ok()) {
        std::fprintf(stderr, "whole_game.keys, line %d: %s\n", wholeGame.errorLine,
                     wholeGame.error.c_str());
        std::exit(1);
    }
}

// The title screen: the banner, the title picture, the score line.
void titleFrame(benchmark::State& state) {
    game = titleScreen;
    for (auto _ : state) benchmark::DoNotOptimize(runFrame(0));
}
BENCHMARK(titleFrame);

// The title frame in which S starts a game: the new-game reset reloads the level map.
void newGameFrame(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        game = titleScreen;
        state.ResumeTiming();
        benchmark::DoNotOptimize(runFrame(HeldS));
    }
}
BENCHMARK(newGameFrame);

// The same crowded game frame again and again, with Left and Space held.
void busyGameFrame(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        game = busyGame;
        state.ResumeTiming();
        benchmark::DoNotOptimize(runFrame(HeldLeft | HeldSpace));
    }
    if (game.gameMode != Playing) state.SkipWithError("the busy frame ended the game");
}
BENCHMARK(busyGameFrame);

// A whole game from the title screen to the level end, as whole_game.keys plays it;
// reported per frame (per_frame) next to the time of the whole replay.
void wholeGameFrames(benchmark::State& state) {
    int64_t frames = 0, playing = 0;
    for (auto _ : state) {
        game = titleScreen;
        frames = playing = 0;
        for (const KeyScriptLine& line : wholeGame.lines) {
            for (int32_t i = 0; i < line.count; ++i, ++frames) {
                benchmark::DoNotOptimize(runFrame(line.keys));
                playing += game.gameMode == Playing;
            }
        }
    }
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["playing"] = static_cast<double>(playing);
    state.counters["per_frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate |
                                         benchmark::Counter::kInvert);
}
BENCHMARK(wholeGameFrames)->Unit(benchmark::kMillisecond);

// F12 at scale 3: what the frame loop waits for between two frames (the PNG is kept
// nowhere, so that no disk is timed). The writer's own work, between the timed calls, is
// not the loop's; the first call of each pass starts the writer's thread again.
void screenshotAtScale3(benchmark::State& state) {
    keepScreenshotsWith([](const std::string&, const unsigned char*, size_t) {});
    game = busyGame;
    runFrame(0);
    for (auto _ : state) {
        saveScreenshot(backBuffer, spritePalette, 3);
        state.PauseTiming();
        finishScreenshots();
        state.ResumeTiming();
    }
}
BENCHMARK(screenshotAtScale3)->Unit(benchmark::kMicrosecond)->Iterations(40);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    startSessionOnce();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
