// window.cpp -- the desktop's window: its modes and scale, the picture shown, the keyboard and
// the pad read as events, the close button and the focus
#include "platform/window.h"

#include <allegro.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/leak_check.h"
#include "platform/pacer.h"
#include "platform/picture.h"
#include "platform/window_system.h"
#include "system/signals.h"

namespace {
// Keys as the keyboard driver's thread notes them, taken by the game's thread in order. The
// library calls the key callback under its own lock, so one thread at a time adds.
class KeyQueue {
public:
    void add(InputEvent e) {
        const unsigned tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == size) return;  // full: dropped
        events_[tail % size] = e;
        tail_.store(tail + 1, std::memory_order_release);
    }
    bool take(InputEvent& e) {
        const unsigned head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return false;
        e = events_[head % size];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    static constexpr unsigned size = 256;
    InputEvent events_[size];
    std::atomic<unsigned> head_{0}, tail_{0};
};

// Everything the window keeps: what the screen is, the picture on it, and the input noted.
struct Window {
    KeyQueue keys;
    std::atomic<bool> closeButton{false}, focusLost{false};
    FramePacer pacer;
    ScreenRequest request;
    ScreenNow now;
    int screenDepth = 8, originX = 0, originY = 0;
    BITMAP* canvas = nullptr;      // the frame enlarged, in the screen's pixel format
    BITMAP* bandCanvas = nullptr;  // the band below it, likewise
    BITMAP* shown = nullptr;       // the 8-bit frame on the screen; only changed rows are redrawn
    uint32_t colours32[256] = {};  // the screen's pixel for each palette index, at 32 bits
    uint16_t colours16[256] = {};  // ... or at 15 or 16
    const RGB* palette = nullptr;  // the palette last shown
    bool redrawAll = true;
    bool screenReady = false;  // a mode is set and the canvas made: frames may be shown
    bool bandShown = false;    // the last picture had a band under it
    bool padPresent = false;
};
Window win;

void onCloseButton() { win.closeButton = true; }
void onFocusLost() { win.focusLost = true; }

// Called by the keyboard driver for every key that goes down (scancode) or up (| 0x80).
void onKey(int scancode) {
    const bool up = scancode & 0x80;
    win.keys.add({up ? InputEvent::KeyUp : InputEvent::KeyDown, (key_shifts & KB_ALT_FLAG) != 0,
                  static_cast<uint16_t>(scancode & 0x7f)});
}

const char* const refusedFullscreen =
    "driftwing: the display refused fullscreen; playing in a window\n";

// One mode of the given size, the desktop's depth first; false when the display refuses.
bool trySize(bool fullscreen, int width, int height) {
    // The screen in the desktop's own pixel format, so that nothing converts it again.
    int depth = desktop_color_depth();
    if (depth != 15 && depth != 16) depth = 32;
    for (int d : {depth, 8}) {
        set_color_depth(d);
        bool opened = false;
        for (const int* driver = fullscreen ? fullscreenDrivers : windowDrivers; *driver && !opened;
             ++driver)
            opened = set_gfx_mode(*driver, width, height, 0, 0) == 0;
        if (!opened) continue;
        win.screenDepth = d;
        // The game's own pictures stay 8-bit; the mode left palette_color as the identity,
        // so the score line drawn in palette_color[15] is index 15.
        set_color_depth(8);
        return true;
    }
    return false;
}

// The largest whole scale whose window fits in 90 % of the desktop's width and 85 % of
// its height (at least 1, at most 8).
int fittingScale(int desktopWidth, int desktopHeight) {
    const ScreenRequest& r = win.request;
    const int scale = std::min(desktopWidth * 9 / 10 / r.frameWidth,
                               desktopHeight * 85 / 100 / r.frameHeight);
    return std::clamp(scale, 1, 8);
}

// The window or the desktop covered with the frame at a whole scale; false when the
// display refuses every scale.
bool setMode(bool fullscreen) {
    const ScreenRequest& r = win.request;
    int desktopWidth = 640, desktopHeight = 480;
    get_desktop_resolution(&desktopWidth, &desktopHeight);
    const int largest = fullscreen ? std::max(1, std::min(desktopWidth / r.frameWidth,
                                                          desktopHeight / r.frameHeight))
                        : r.scale ? r.scale
                                  : fittingScale(desktopWidth, desktopHeight);
    for (int s = largest; s >= 1; --s) {
        const int width = fullscreen ? desktopWidth : r.frameWidth * s;
        const int height = fullscreen ? desktopHeight : r.frameHeight * s;
        if (!trySize(fullscreen, width, height)) continue;
        win.now.scale = s;
        win.now.fullscreen = fullscreen;
        win.originX = (width - r.frameWidth * s) / 2;
        win.originY = (height - r.frameHeight * s) / 2;
        win.now.band = fullscreen && height - win.originY - r.frameHeight * s >= r.bandRows * s;
        return true;
    }
    return false;
}

// The colours of the game's pixels on this screen; every new screen takes them again (a
// mode starts with the library's default palette, and may have another depth).
void showPalette(const RGB* palette) {
    win.palette = palette;
    if (win.screenDepth == 8) set_palette(palette);
    Rgb24 colours[256];
    coloursOf(palette, colours);
    const int depth = win.screenDepth == 8 ? 32 : win.screenDepth;
    for (int i = 0; i < 256; ++i) {
        const int pixel = makecol_depth(depth, colours[i].r, colours[i].g, colours[i].b);
        win.colours32[i] = static_cast<uint32_t>(pixel);
        win.colours16[i] = static_cast<uint16_t>(pixel);
    }
    win.redrawAll = true;
}

enum class Opened { yes, refused, noPicture };

// Everything that goes with a new screen: its buffers, black borders, the game's colours,
// the pacer's choice. Called by open and setFullscreen; no frame is shown unless yes.
Opened openScreen(bool fullscreen) {
    const ScreenRequest& r = win.request;
    win.screenReady = false;
    for (BITMAP** b : {&win.canvas, &win.bandCanvas}) {
        if (*b) destroy_bitmap(*b);
        *b = nullptr;
    }
    if (!setMode(fullscreen) && !setMode(!fullscreen)) return Opened::refused;
    const int s = win.now.scale;
    if (win.screenDepth != 8 &&
        (!(win.canvas = makePicture(win.screenDepth, r.frameWidth * s, r.frameHeight * s)) ||
         !(win.bandCanvas = makePicture(win.screenDepth, r.frameWidth * s, r.bandRows * s))))
        return Opened::noPicture;
    clear_to_color(screen, 0);
    if (win.now.fullscreen) coverDesktop();
    set_close_button_callback(onCloseButton);
    if (set_display_switch_mode(SWITCH_BACKGROUND) == 0)
        set_display_switch_callback(SWITCH_OUT, onFocusLost);
    void (*retraceWait)() = nullptr;
    if (retraceIsReal) retraceWait = [] { vsync(); };
    win.pacer.useRetraceWait(retraceWait);
    if (win.palette) showPalette(win.palette);
    win.redrawAll = true;
    win.bandShown = false;
    win.screenReady = true;
    return Opened::yes;
}

// The library, its keyboard, timer and sound, and the first screen; false after a line
// that says why.
bool openLibraryAndScreen() {
    nameWindow();
    if (install_allegro(SYSTEM_AUTODETECT, nullptr, atexit) != 0) {
        std::fprintf(stderr, "driftwing: cannot start: %s\n",
                     allegro_error[0] ? allegro_error : "no display to open a window on");
        return false;
    }
    showWindowIcon();
    install_keyboard();
    keyboard_lowlevel_callback = onKey;
    install_timer();
    {
        LeakCheckPause driversKeepTheirConfiguration;
        install_sound(DIGI_AUTODETECT, MIDI_NONE, "");
    }
    set_window_title("");
    catchQuitSignals();  // the library has just put handlers of its own in their place
    const Opened opened = openScreen(win.request.fullscreen);
    if (opened == Opened::refused) {
        std::string reason = allegro_error;
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        std::fprintf(stderr, "driftwing: cannot open a window: %s\n",
                     reason.empty() ? "no graphics mode" : reason.c_str());
        return false;
    }
    if (opened == Opened::yes && win.now.fullscreen != win.request.fullscreen)
        std::fputs(refusedFullscreen, stderr);
    if (opened == Opened::noPicture ||
        !(win.shown = makePicture(8, win.request.frameWidth, win.request.frameHeight))) {
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        return false;
    }
    return true;
}

// The pad, when one is there: no pad is no message. A device asked for that the library
// cannot read as a joystick is said once, and the game plays on without it. Called once
// the window is open (DirectInput wants it).
void openPad(const char* device) {
    if (device && *device) {
        // The library's Linux driver reads the device of its own joystick_device_0.
        const std::string config = std::string("[joystick]\njoystick_device_0 = ") + device + "\n";
        override_config_data(config.c_str(), static_cast<int>(config.size()));
    }
    {
        LeakCheckPause driversKeepTheirConfiguration;
        win.padPresent = install_joystick(JOY_TYPE_AUTODETECT) == 0 && num_joysticks > 0;
    }
    if (!win.padPresent && device && *device)
        std::fprintf(stderr, "driftwing: the pad's device %s is no pad the library can read (%s)\n",
                     device, allegro_error[0] ? allegro_error : "no joystick there");
}

bool open(const ScreenRequest& request) {
    win.request = request;
    watchDisplay();
    slackenLibraryThreads(true);
    const bool opened = openLibraryAndScreen();
    if (opened) openPad(request.padDevice);
    slackenLibraryThreads(false);
    return opened;
}

void pace() { win.pacer.wait(); }

size_t pitchOf(const BITMAP* b) { return static_cast<size_t>(b->line[1] - b->line[0]); }

// PICTURE's rows [first, first + rows) on the screen at the frame's left and TOP.
void copyToScreen(BITMAP* picture, BITMAP* canvas, int first, int rows, int top) {
    const int s = win.now.scale, width = win.request.frameWidth * s;
    if (win.screenDepth == 8) {
        stretch_blit(picture, screen, 0, first, picture->w, rows, win.originX, top + first * s,
                     width, rows * s);
        return;
    }
    if (win.screenDepth == 32)
        enlargeRows(picture, win.colours32, s, canvas->line[0], pitchOf(canvas), first, rows);
    else
        enlargeRows(picture, win.colours16, s, canvas->line[0], pitchOf(canvas), first, rows);
    blit(canvas, screen, 0, first * s, win.originX, top + first * s, width, rows * s);
}

// The band below the frame: the line given, or black again once it goes.
void presentBand(BITMAP* band) {
    const int s = win.now.scale, top = win.originY + win.request.frameHeight * s;
    if (band) {
        copyToScreen(band, win.bandCanvas, 0, band->h, top);
    } else {
        rectfill(screen, win.originX, top, win.originX + win.request.frameWidth * s - 1,
                 top + win.request.bandRows * s - 1, 0);
    }
    win.bandShown = band != nullptr;
}

// Only the rows that changed since the last frame are enlarged and sent, at once.
void present(BITMAP* frame, BITMAP* band) {
    if (!win.screenReady) return;
    const bool bandChanged = win.now.band && (band || win.bandShown);
    if (bandChanged) presentBand(band);
    int first = -1, last = -1;
    for (int y = 0; y < frame->h; ++y) {
        if (!win.redrawAll && std::memcmp(frame->line[y], win.shown->line[y], frame->w) == 0)
            continue;
        std::memcpy(win.shown->line[y], frame->line[y], frame->w);
        if (first < 0) first = y;
        last = y;
    }
    win.redrawAll = everyRowEveryFrame;
    if (first >= 0) copyToScreen(win.shown, win.canvas, first, last - first + 1, win.originY);
    if (first >= 0 || bandChanged) sendPicture();
}

// The keys, the close button and the focus, as they came since the last call.
int readInput(InputEvent* events, int room) {
    readWindowEvents();
    int count = 0;
    while (count < room && win.keys.take(events[count])) ++count;
    if (count < room && win.closeButton.exchange(false)) events[count++] = {InputEvent::Close};
    if (count < room && win.focusLost.exchange(false)) events[count++] = {InputEvent::FocusLost};
    return count;
}

// The pad's first stick (or D-pad) and its buttons as the driver reads them now.
PadState readPad() {
    PadState pad;
    if (!win.padPresent || poll_joystick() != 0) return pad;
    const JOYSTICK_INFO& j = joy[0];
    const JOYSTICK_AXIS_INFO* axis = j.stick[0].axis;
    const int axes = j.num_sticks > 0 ? j.stick[0].num_axis : 0;
    pad.left = axes > 0 && axis[0].d1;
    pad.right = axes > 0 && axis[0].d2;
    pad.up = axes > 1 && axis[1].d1;
    pad.down = axes > 1 && axis[1].d2;
    for (int i = 0; i < j.num_buttons && i < padButtonCount; ++i)
        if (j.button[i].b) pad.buttons |= 1u << i;
    return pad;
}

// Into fullscreen or back to the window as it was. A display that refuses the new mode
// leaves the game as it was; one that refuses every mode, or a canvas that cannot be had,
// asks the game to quit (exit code 1) the normal way.
bool setFullscreen(bool wanted) {
    const Opened opened = openScreen(wanted);
    if (opened == Opened::refused)
        std::fprintf(stderr, "driftwing: the display refused every mode\n");
    if (opened != Opened::yes) {
        askToQuit(1);
        return false;
    }
    if (win.now.fullscreen != wanted) {
        std::fputs(wanted ? refusedFullscreen
                          : "driftwing: the display refused a window; staying fullscreen\n",
                   stderr);
        return false;
    }
    return true;
}

ScreenNow screenNow() { return win.now; }

void leave() { set_gfx_mode(GFX_TEXT, 0, 0, 0, 0); }
}  // namespace

const Platform windowPlatform = {open,
                                 pace,
                                 showPalette,
                                 present,
                                 readInput,
                                 readPad,
                                 windowPlaySample,
                                 windowSetLoudness,
                                 windowHoldMusic,
                                 setFullscreen,
                                 screenNow,
                                 leave};
