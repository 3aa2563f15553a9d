// pacer.h -- keeps the frame loop at 60 frames a second, whatever the display driver's retrace wait does
#pragma once

#include <cstdint>

// Monotonic clock in nanoseconds, and a sleep until such a time.
int64_t monotonicNanos();
void sleepUntilNanos(int64_t deadline);

class FramePacer {
public:
    static constexpr int64_t framePeriod = 16'666'667;  // ns, 60 frames a second

    // Called once after the window opens: times a few calls of the driver's retrace
    // wait and keeps it only when it really waits about one 60 Hz period.
    void chooseRetraceWait(void (*retraceWait)());

    // Called once per frame: the driver's retrace wait if it was kept, otherwise a
    // sleep to the next deadline on the clock. A frame more than a whole period late
    // starts a new schedule instead of letting the loop burst to catch up.
    void wait();

    // Deadline pacing alone, for benchmarks and tests of the schedule.
    void waitForDeadline();

    bool usesRetrace() const { return useRetrace_; }
    int64_t measuredRetraceNanos() const { return measured_; }

    // True when a measured retrace wait is close enough to a 60 Hz period to keep.
    static bool retraceIsUsable(int64_t medianNanos);

private:
    void (*retraceWait_)() = nullptr;
    bool useRetrace_ = false;
    bool scheduled_ = false;
    int64_t deadline_ = 0;
    int64_t measured_ = 0;
};

// The real window's pacer, as start-up left it: which wait it chose and what it measured.
const FramePacer& windowFramePacer();
