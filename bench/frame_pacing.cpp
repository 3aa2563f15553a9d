// frame_pacing.cpp -- how evenly the real window's frame loop keeps its 60 frames a second
//
// Opens the game's own window (run it from a folder holding data/, on an X display),
// runs the title screen for a number of frames (600 unless given) and prints the
// median, 99th percentile and extremes of the frame interval on the monotonic clock,
// and which wait the pacer relies on. Two series: "released", the ends of the pacer's
// waits (how well the pacer keeps time), and "shown", the ends of whole frames, after
// the copy to the window and the keyboard poll (what reaches the player).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/frame.h"
#include "shell/pacer.h"
#include "shell/platform.h"

namespace {
// Ends of the pacer's waits: when each frame is released to the screen.
std::vector<int64_t> waitEnds;

void timedWaitRetrace() {
    windowPlatform.waitRetrace();
    waitEnds.push_back(monotonicNanos());
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

    // The real window, with the end of each retrace wait noted.
    static Platform timed = windowPlatform;
    timed.waitRetrace = timedWaitRetrace;
    usePlatform(timed);
    if (int failure = startUp()) return failure;

    // What the window platform measured of the driver's retrace wait at start-up, and
    // whether it kept it.
    const FramePacer& pacer = windowFramePacer();

    std::vector<int64_t> intervals;
    intervals.reserve(frames);
    waitEnds.reserve(frames + 1);
    runFrame();  // the first frame starts the pacer's schedule
    int64_t last = monotonicNanos();
    for (int i = 0; i < frames; ++i) {
        bool quit = runFrame();
        int64_t now = monotonicNanos();
        intervals.push_back(now - last);
        last = now;
        if (quit || platformCloseRequested()) break;
    }
    shutdownAssets();

    std::vector<int64_t> released;
    for (size_t i = 1; i < waitEnds.size(); ++i) released.push_back(waitEnds[i] - waitEnds[i - 1]);

    std::printf("retrace wait      %.2f ms a call: %s\n", millis(pacer.measuredRetraceNanos()),
                pacer.usesRetrace() ? "kept (the driver waits for the retrace)"
                                    : "not a 60 Hz wait; the pacer sleeps to clock deadlines");
    std::printf("target interval   %.3f ms\n", millis(FramePacer::framePeriod));
    report("frame released", released);
    report("frame shown", intervals);
    return 0;
}
