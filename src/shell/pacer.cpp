// pacer.cpp -- frame pacing on absolute deadlines of a monotonic clock
#include "shell/pacer.h"

#include <algorithm>

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

bool FramePacer::retraceIsUsable(int64_t medianNanos) {
    return medianNanos >= 15'800'000 && medianNanos <= 17'600'000;
}

void FramePacer::chooseRetraceWait(void (*retraceWait)()) {
    retraceWait_ = retraceWait;
    constexpr int samples = 5;
    int64_t took[samples];
    retraceWait();  // line up with a retrace first
    for (int64_t& t : took) {
        int64_t start = monotonicNanos();
        retraceWait();
        t = monotonicNanos() - start;
    }
    std::sort(took, took + samples);
    measured_ = took[samples / 2];
    useRetrace_ = retraceIsUsable(measured_);
}

void FramePacer::wait() {
    if (useRetrace_) {
        retraceWait_();
        return;
    }
    waitForDeadline();
}

void FramePacer::waitForDeadline() {
    int64_t now = monotonicNanos();
    if (!scheduled_) {
        deadline_ = now + framePeriod;
        scheduled_ = true;
    } else if (now > deadline_ + framePeriod) {
        deadline_ = now;  // too late to catch up: a new schedule from here
    }
    sleepUntilNanos(deadline_);
    deadline_ += framePeriod;
}
