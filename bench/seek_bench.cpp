// seek_bench.cpp -- a sixty-minute recording watched: how long the first pass over it takes,
// how long a seek to a random frame takes once it is done (the worst of 20), and the memory
// kept for seeking
//
//   driftwing-seek-bench [SEED]   (run from the build folder, which holds data/)
//
// The recording is made here, headless: games back to back (S and Space held, steering
// left and right in turns), with the game's state noted every ten seconds as the game's
// recorder does, so the pass checks 360 states.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "recordings/key_script.h"
#include "recordings/playback.h"
#include "spine/frame.h"
#include "spine/machine.h"
#include "state/keys.h"
#include "state/game_state.h"

namespace {
constexpr int64_t hour = 60 * 60 * 60;
using Clock = std::chrono::steady_clock;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

uint32_t keysOf(int64_t frame) {
    return HeldS | HeldSpace | ((frame - 1) / 40 % 2 ? HeldRight : HeldLeft);
}

std::string makeRecording() {
    const std::string path = "/tmp/driftwing-seek-" + std::to_string(getpid()) + ".keys";
    std::string text(recordingHeader);
    char line[80];
    for (int64_t frame = 1; frame <= hour; ++frame) {
        runFrame(keysOf(frame));
        if (frame % 40 == 0) {
            char names[32];
            writeKeyNames(keysOf(frame), names);
            std::snprintf(line, sizeof line, "40 %s\n", names);
            text += line;
        }
        if (frame % 600 == 0) {
            std::snprintf(line, sizeof line, "# %sframe %" PRId64 " state %016" PRIx64 "\n",
                          frame == hour ? "end " : "", frame, gameStateDigest());
            text += line;
        }
    }
    std::ofstream(path) << text;
    return path;
}
}  // namespace

int main(int argc, char** argv) {
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10))
                                   : std::random_device{}();
    useMachine(headlessPlatform);
    if (startUp() != 0) return 1;
    const GameState start = game;
    const std::string path = makeRecording();
    game = start;
    std::string why;
    if (!loadPlayback(path, why)) {
        std::fprintf(stderr, "seek bench: %s\n", why.c_str());
        return 1;
    }
    std::remove(path.c_str());
    auto began = Clock::now();
    if (!startPlayback()) return 1;
    const double first = millisSince(began);
    began = Clock::now();
    passWholePlayback();
    const double pass = millisSince(began);

    std::mt19937 random(seed);
    std::uniform_int_distribution<int64_t> anywhere(1, playbackFrames());
    std::vector<double> seeks;
    for (int i = 0; i < 20; ++i) {
        const int64_t target = anywhere(random);
        began = Clock::now();
        if (!seekPlayback(target)) {
            std::fprintf(stderr, "seek bench: the recording did not check out at %" PRId64 "\n",
                         target);
            return 1;
        }
        seeks.push_back(millisSince(began));
    }
    std::sort(seeks.begin(), seeks.end());
    std::printf("recording: %" PRId64 " frames (60 minutes), seed %u\n", playbackFrames(), seed);
    std::printf("first picture: %.2f ms; the whole pass at once (checks every noted state, "
                "keeps the copies): %.0f ms\n",
                first, pass);
    std::printf("seek to a random frame, 20 targets: median %.2f ms, worst %.2f ms\n",
                seeks[seeks.size() / 2], seeks.back());
    std::printf("kept for seeking: %.1f MiB\n", static_cast<double>(playbackMemory()) / (1 << 20));
    stopPlayback();
    shutdownSession();
    return 0;
}
