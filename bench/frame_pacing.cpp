// frame_pacing.cpp -- how evenly the real window's frame loop keeps its 60 frames a second,
// and what showing a frame costs the game's thread
//
//   driftwing-frame-pacing [FRAMES [play] [GAME OPTIONS...]]
//
// Opens the game's own window (run it from a folder holding data/, on an X display)
// with the game's options (--scale, --fullscreen), runs a number of frames (600 unless
// given) of the title screen, or with "play" of games with S and Space held throughout
// (the whole picture moves in every frame), and prints the median, 99th percentile and
// extremes of the frame interval on the monotonic clock, and of the present step. Two series: "released", the ends of the pacer's
// waits (how well the pacer keeps time), and "shown", the ends of whole frames, after
// the copy to the window and the keyboard poll (what reaches the player).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/options.h"
#include "platform/pacer.h"
#include "platform/window.h"
#include "spine/frame.h"
#include "spine/input.h"
#include "spine/machine.h"
#include "state/assets.h"
#include "state/keys.h"

namespace {
// Ends of the pacer's waits: when each frame is released to the screen.
std::vector<int64_t> waitEnds;

void timedPace() {
    windowPlatform.pace.call();
    waitEnds.push_back(monotonicNanos());
}

// How long each copy to the screen takes on the game's thread.
std::vector<int64_t> presents;
void timedPresent(BITMAP* frame, BITMAP* band) {
    const int64_t start = monotonicNanos();
    windowPlatform.present.call(frame, band);
    presents.push_back(monotonicNanos() - start);
}

double millis(int64_t nanos) {
    return nanos / 1e6;
}

// The interval below which the given share of all intervals lies (nearest rank).
int64_t percentile(const std::vector<int64_t>& sorted, double share) {
    size_t rank = static_cast<size_t>(share * sorted.size() + 0.999999);
    return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
}
// One line of figures for a series of frame intervals.
void report(const char* what, std::vector<int64_t> intervals) {
    if (intervals.empty()) return;
    int64_t total = 0;
    for (int64_t t : intervals) total += t;
    std::sort(intervals.begin(), intervals.end());
    long late = std::count_if(intervals.begin(), intervals.end(), [](int64_t t) {
        return t > FramePacer::framePeriod + 1'500'000;
    });
    std::printf("%-16s  %zu intervals: median %.3f ms, p99 %.3f ms, min %.3f, max %.3f, "
                "%ld over 1.5 ms late, %.3f frames a second\n",
                what, intervals.size(), millis(percentile(intervals, 0.5)),
                millis(percentile(intervals, 0.99)), millis(intervals.front()),
                millis(intervals.back()), late, intervals.size() * 1e9 / total);
}
}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 600;
    if (frames < 2) frames = 2;
    const bool play = argc > 2 && std::string(argv[2]) == "play";
    CommandLine options;
    const int first = play ? 2 : 1;  // the game's options follow
    if (readCommandLine(argc - first, argv + first, options) >= 0) return 2;
    const Settings settings = settingsFor(options);
    useAssetFolder(findDataFolder(options.dataDir));

    // The real window, with the end of each pacing wait and each present timed.
    static Platform timed = windowPlatform;
    timed.pace = timedPace;
    timed.present = timedPresent;
    useMachine(timed);
    ScreenRequest request = frameScreen();
    request.scale = settings.display.scale;
    request.fullscreen = settings.display.fullscreen;
    if (int failure = startUp(request)) return failure;
    const uint32_t keys = play ? HeldS | HeldSpace : 0;
    auto frame = [keys] {
        machine().pace.call();
        takeInput();
        return runFrame(keys);
    };

    std::vector<int64_t> intervals;
    intervals.reserve(frames);
    waitEnds.reserve(frames + 1);
    presents.reserve(frames + 1);
    frame();  // the first frame starts the pacer's schedule
    int64_t last = monotonicNanos();
    for (int i = 0; i < frames; ++i) {
        bool quit = frame();
        int64_t now = monotonicNanos();
        intervals.push_back(now - last);
        last = now;
        if (quit) break;
    }
    shutdownSession();

    std::vector<int64_t> released;
    for (size_t i = 1; i < waitEnds.size(); ++i) released.push_back(waitEnds[i] - waitEnds[i - 1]);

    std::printf("target interval   %.3f ms\n", millis(FramePacer::framePeriod));
    report("frame released", released);
    std::sort(presents.begin(), presents.end());
    if (!presents.empty())
        std::printf("present step      %zu frames: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                    presents.size(), millis(percentile(presents, 0.5)), millis(percentile(presents, 0.99)),
                    millis(presents.back()));
    report("frame shown", intervals);
    return 0;
}
