// platform_window.cpp -- the real platform: a desktop window, the keyboard, the sound card, the clock
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/leak_check.h"
#include "shell/pacer.h"
#include "shell/platform.h"

namespace {
volatile int closeButtonPressed = 0;

void onCloseButton() {
    closeButtonPressed = 1;
}

FramePacer pacer;

bool open() {
    if (install_allegro(SYSTEM_AUTODETECT, nullptr, atexit) != 0) {
        std::fprintf(stderr, "driftwing: cannot start: %s\n",
                     allegro_error[0] ? allegro_error : "no display to open a window on");
        return false;
    }
    install_keyboard();
    install_timer();
    {
        LeakCheckPause driversKeepTheirConfiguration;
        install_sound(DIGI_AUTODETECT, MIDI_NONE, "");
    }
    set_window_title("");
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 320, 300, 0, 0) != 0) {
        std::string reason = allegro_error;
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        std::fprintf(stderr, "driftwing: cannot open a 320 x 300 window: %s\n",
                     reason.empty() ? "no graphics mode" : reason.c_str());
        return false;
    }
    set_close_button_callback(onCloseButton);
    pacer.chooseRetraceWait([] { vsync(); });
    return true;
}

void waitRetrace() {
    pacer.wait();
}

void present(BITMAP* frame) {
    blit(frame, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}

void pollKeyboard() {
    poll_keyboard();
}

void playSample(const char*, SAMPLE* sample, int volume, int pan, int frequency, int loop) {
    play_sample(sample, volume, pan, frequency, loop);
}

bool closeRequested() {
    return closeButtonPressed != 0;
}

void leaveGraphics() {
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
}
}  // namespace

const FramePacer& windowFramePacer() {
    return pacer;
}

const Platform windowPlatform = {open,         320,        300,           waitRetrace, present,
                                 pollKeyboard, playSample, closeRequested, leaveGraphics};
