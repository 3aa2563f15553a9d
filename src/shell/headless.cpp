// headless.cpp -- the null platform: no window, no keyboard device, no sound card
#include "shell/headless.h"

#include <cstdio>
#include <cstdlib>

#include "shell/platform.h"

namespace {
uint32_t heldKeys = 0;
SoundRecorder recorder = nullptr;

struct KeyBit {
    uint32_t bit;
    int scancode;
};
const KeyBit keyBits[] = {
    {HeldEsc, KEY_ESC},     {HeldLeft, KEY_LEFT},   {HeldRight, KEY_RIGHT}, {HeldUp, KEY_UP},
    {HeldDown, KEY_DOWN},   {HeldSpace, KEY_SPACE}, {HeldS, KEY_S},
};

bool open() {
    // Allegro for memory bitmaps, files and samples only.
    if (install_allegro(SYSTEM_NONE, nullptr, atexit) != 0) {
        std::fprintf(stderr, "driftwing: cannot start the library: %s\n", allegro_error);
        return false;
    }
    set_color_depth(8);
    // A 256-colour window maps palette index i to pixel value i (the score line's colour
    // comes from this table); with no window the library leaves the table all 0.
    for (int i = 0; i < 256; ++i) palette_color[i] = i;
    return true;
}

void nothing() {}
void present(BITMAP*) {}

void pollKeyboard() {
    for (int i = 0; i < KEY_MAX; ++i) key[i] = 0;
    for (const KeyBit& k : keyBits) {
        if (heldKeys & k.bit) key[k.scancode] = 1;
    }
}

void playSample(const char* cue, SAMPLE*, int volume, int pan, int frequency, int loop) {
    if (recorder) recorder(cue, volume, pan, frequency, loop);
}

bool never() {
    return false;
}
}  // namespace

const Platform headlessPlatform = {open,         320,     300,        nothing, present,
                                   pollKeyboard, playSample, never, nothing};

void setHeadlessKeys(uint32_t heldMask) {
    heldKeys = heldMask;
}

void setSoundRecorder(SoundRecorder r) {
    recorder = r;
}
