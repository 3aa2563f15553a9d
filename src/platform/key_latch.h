// key_latch.h -- keys tapped between two frames, kept until the next frame looks
#pragma once

#include <atomic>
#include <cstdint>

// Keys pressed since the frame last looked, so that a tap that goes down and up between
// two frames still counts: the keyboard driver's thread notes each press as it comes,
// and the next frame sees the key down, once.
class KeyLatch {
public:
    void press(uint32_t keys) { pressed_.fetch_or(keys); }
    // The keys of this frame: those held now and those tapped since the last call.
    uint32_t take(uint32_t held) { return held | pressed_.exchange(0); }

private:
    std::atomic<uint32_t> pressed_{0};
};
