// pacer.h -- keeps the frame loop at 60 frames a second, whatever the display's retrace wait does
#pragma once

#include <cstdint>

// Monotonic clock in nanoseconds, and a sleep until such a time.
int64_t monotonicNanos();
void sleepUntilNanos(int64_t deadline);

// Where the pacer reads the time and sleeps; tests hand it a clock of their own.
struct PacerClock {
    int64_t (*now)();
    void (*sleepUntil)(int64_t deadline);
};
constexpr PacerClock systemClock = {monotonicNanos, sleepUntilNanos};

class FramePacer {
public:
    static constexpr int64_t framePeriod = 16'666'667;  // ns, 60 frames a second

    explicit FramePacer(PacerClock clock = systemClock) : clock_(clock) {}

    // Called when the window opens or changes (fullscreen): the display's retrace wait
    // to try, or null where the driver is known to have none. A wait is trusted while
    // every frame it gives lasts about one 60 Hz period.
    void useRetraceWait(void (*retraceWait)());

    // Called once per frame. On the retrace wait while it keeps 60 Hz; a frame it ends
    // early is held back to the period, and three frames in a row off 60 Hz (a faster
    // or slower display, a wait that no longer blocks) put the pacer on the clock for
    // good: it sleeps to absolute deadlines, and a frame more than a period late starts
    // a new schedule instead of letting the loop burst to catch up.
    void wait();

    // After a pause: the next frame starts a new schedule.
    void restart() { scheduled_ = false; }

    bool usesRetrace() const { return retraceWait_ != nullptr; }

private:
    void waitForRetrace();
    void waitForDeadline();

    PacerClock clock_;
    void (*retraceWait_)() = nullptr;
    int offBeat_ = 0;  // frames in a row the retrace wait was off 60 Hz
    bool scheduled_ = false;
    int64_t deadline_ = 0;  // clock: the end of the next frame; retrace: the last frame's end
};
