// pacer.cpp -- frame pacing on absolute deadlines of a monotonic clock
#include "platform/pacer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <ctime>
#endif

#ifdef _WIN32
int64_t monotonicNanos() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        timeBeginPeriod(1);  // 1 ms sleep granularity for the pacer
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(now.QuadPart / frequency.QuadPart * 1'000'000'000 +
                                now.QuadPart % frequency.QuadPart * 1'000'000'000 /
                                    frequency.QuadPart);
}

void sleepUntilNanos(int64_t deadline) {
    for (;;) {
        int64_t left = deadline - monotonicNanos();
        if (left <= 0) return;
        if (left > 2'000'000) {
            Sleep(static_cast<DWORD>((left - 1'500'000) / 1'000'000));
        } else {
            YieldProcessor();  // the last moments are spun for precision
        }
    }
}
#else
int64_t monotonicNanos() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void sleepUntilNanos(int64_t deadline) {
    timespec t;
    t.tv_sec = static_cast<time_t>(deadline / 1'000'000'000);
    t.tv_nsec = static_cast<long>(deadline % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}
#endif

namespace {
// A retrace wait keeps 60 Hz while each frame it gives lasts within these bounds.
constexpr int64_t shortestBeat = 15'800'000, longestBeat = 17'600'000;
constexpr int offBeatLimit = 3;  // frames in a row off the beat before the clock takes over
}  // namespace

void FramePacer::useRetraceWait(void (*retraceWait)()) {
    retraceWait_ = retraceWait;
    offBeat_ = 0;
    scheduled_ = false;
}

void FramePacer::wait() {
    if (retraceWait_) {
        waitForRetrace();
    } else {
        waitForDeadline();
    }
}

void FramePacer::waitForRetrace() {
    retraceWait_();
    int64_t now = clock_.now();
    if (scheduled_) {
        const int64_t beat = now - deadline_;
        if (beat < shortestBeat) {  // a faster display, or no wait at all
            clock_.sleepUntil(deadline_ + framePeriod);
            now = clock_.now();
        }
        offBeat_ = beat < shortestBeat || beat > longestBeat ? offBeat_ + 1 : 0;
    }
    scheduled_ = true;
    deadline_ = now;
    if (offBeat_ >= offBeatLimit) {
        retraceWait_ = nullptr;
        deadline_ = now + framePeriod;
    }
}

void FramePacer::waitForDeadline() {
    const int64_t now = clock_.now();
    if (!scheduled_) {
        deadline_ = now + framePeriod;
        scheduled_ = true;
    } else if (now > deadline_ + framePeriod) {
        deadline_ = now;  // too late to catch up: a new schedule from here
    }
    clock_.sleepUntil(deadline_);
    deadline_ += framePeriod;
}
