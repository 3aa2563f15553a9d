// mixer.h -- the game's sound for a video: every sample it started, mixed offline, sample-exact
//
// The runner hears each sample the game starts (headless.h's recorder); the mixer plays
// them again into 48 kHz stereo 16-bit PCM, each from the first output sample of the
// frame that started it. 48000 is 800 samples to a frame, so every start lands on a
// whole sample, and it is the rate Opus codes natively.
#pragma once

#include <allegro.h>

#include <cstdint>
#include <vector>

constexpr int mixRate = 48000;
constexpr int mixSamplesPerFrame = mixRate / 60;

// One sample the game started: in which frame (0: during start-up) and how.
struct SoundStart {
    int64_t frame;
    const SAMPLE* sample;
    int volume;     // 0..255
    int pan;        // 0 left .. 255 right, 127 centre
    int frequency;  // 1000: the sample's own rate
    bool loop;      // from loop_start to loop_end for ever
};

// Called by the video maker before the pictures are encoded: writes the sound of frames
// [fromFrame, toFrame) to the file FD as interleaved little-endian s16 stereo at mixRate,
// sounds started before fromFrame heard from where they have got to (the music at its
// offset into the loop). 0, or the errno of the write that failed.
int writeMix(const std::vector<SoundStart>& starts, int64_t fromFrame, int64_t toFrame, int fd);
