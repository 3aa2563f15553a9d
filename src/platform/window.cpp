// platform_window.cpp -- the real platform: a desktop window at a whole scale or fullscreen,
// pause, the keyboard, the sound card, the clock
#include <allegro.h>

#ifdef ALLEGRO_WINDOWS
#include <winalleg.h>
#endif
#ifdef ALLEGRO_WITH_XWINDOWS
#include <unistd.h>
#include <xalleg.h>
#endif

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/key_latch.h"
#include "platform/leak_check.h"
#include "platform/options.h"
#include "platform/pacer.h"
#include "platform/pad.h"
#include "platform/platform.h"
#include "platform/quit.h"
#include "platform/screenshot.h"
#include "platform/window.h"
#include "state/assets.h"
#include "state/keys.h"

namespace {
constexpr int black = 0, white = 15;  // palette indices
constexpr int lineRows = 15;          // a watched recording's line, in the frame's pixels

// Keys about the window rather than the game, noted as they are pressed.
constexpr uint32_t pauseAsked = 1, fullscreenAsked = 2, muteAsked = 4, quieterAsked = 8,
                   louderAsked = 16, screenshotAsked = 32;
constexpr int volumeStep = 10;         // [ and ]: ten in a hundred
constexpr int framesVolumeShown = 120;  // the volume line stays two seconds
constexpr int effectVoicesKept = 32;    // the shots and blasts that may still be sounding

// Everything the window platform keeps between frames.
struct WindowState {
    // Noted by the library's threads as they happen, taken by the game's between frames.
    volatile int closeButtonPressed = 0;
    std::atomic<bool> focusLost{false};
    std::atomic<uint32_t> windowKeysPressed{0};
    KeyLatch tappedKeys;
    FramePacer pacer;

    DisplayChoice choice;  // what the player asked for: settings, then the command line
    bool fullscreenNow = false;
    int scale = 1, originX = 0, originY = 0;  // the frame's size and place on the screen
    int screenDepth = 8;
    BITMAP* canvas = nullptr;  // the frame enlarged, in the screen's pixel format
    BITMAP* shown = nullptr;   // the 8-bit frame now on the screen; only changed rows are redrawn
    BITMAP* pausedFrame = nullptr;
    uint32_t screenColours[256] = {};  // screen pixel of each palette index
    const RGB* gamePalette = nullptr;  // the palette the game last showed
    bool redrawAll = true;
    bool screenReady = false;  // a mode is set and the canvas made: frames may be shown
    int musicVoice = -1;
    int musicVolume = 255;  // the music's own volume, before the player's choice
    bool musicHeld = false;
    SoundChoice sound;                          // volume and mute, as remembered
    int effectVoices[effectVoicesKept] = {};    // the latest shots' and blasts' voices, + 1
    int nextEffectVoice = 0;
    int volumeLineFrames = 0;                   // frames the volume line is still shown
    KeyBindings keys = defaultKeyBindings();    // read once, before the keyboard starts

    // The first pad the library found at start-up, if any, and what its buttons do.
    bool padPresent = false;
    PadChoice pad;
    PadState padBefore;  // as the last frame read it, for the pause button's press

    // A watched recording: its controls as tapped, and the line over the window.
    std::atomic<uint32_t> playbackAsked{0};
    PlaybackLine line;
    bool lineShown = false;
    bool lineInBand = false;   // on the screen below the frame (fullscreen with room there)
    bool lineWasInBand = false;  // as the last picture showed it
    BITMAP* composed = nullptr;    // the frame with the line over its bottom rows
    BITMAP* lineStrip = nullptr;   // the line, 8-bit, at the frame's own size
    BITMAP* lineCanvas = nullptr;  // the line enlarged, in the screen's pixel format
};
WindowState win;

void onCloseButton() { win.closeButtonPressed = 1; }

void onFocusLost() { win.focusLost = true; }

// The keys that steer a watched recording ('+' is the key of '=' on most layouts).
constexpr std::pair<int, uint32_t> playbackKeys[] = {
    {KEY_P, PlayOrPause},        {KEY_SPACE, PlayOrPause},  {KEY_STOP, StepForward},
    {KEY_COMMA, StepBack},       {KEY_EQUALS, Faster},      {KEY_PLUS_PAD, Faster},
    {KEY_MINUS, Slower},         {KEY_MINUS_PAD, Slower},   {KEY_LEFT, JumpBack},
    {KEY_RIGHT, JumpForward},    {KEY_HOME, ToFirstFrame},  {KEY_END, ToLastFrame},
};

// Called by the keyboard driver's thread for every key that goes down or up.
void onKey(int scancode) {
    if (scancode & 0x80) return;
    win.tappedKeys.press(win.keys.gameKeysDownFor(scancode));
    const int action = win.keys.actionOf(scancode);
    if (action == ActPause) win.windowKeysPressed |= pauseAsked;
    if (action == ActMute) win.windowKeysPressed |= muteAsked;
    if (scancode == KEY_OPENBRACE) win.windowKeysPressed |= quieterAsked;
    if (scancode == KEY_CLOSEBRACE) win.windowKeysPressed |= louderAsked;
    for (const auto& [code, control] : playbackKeys) {
        if (scancode == code) win.playbackAsked |= control;
    }
    if (action == ActFullscreen || (scancode == KEY_ENTER && (key_shifts & KB_ALT_FLAG)))
        win.windowKeysPressed |= fullscreenAsked;
    if (action == ActScreenshot) win.windowKeysPressed |= screenshotAsked;
}

#ifdef ALLEGRO_WITH_XWINDOWS
// Asks the window manager to show the window fullscreen, and without one puts it in the corner.
void coverDesktop() {
    Display* display = _xwin.display;
    Window window = _xwin.wm_window;
    XMoveWindow(display, window, 0, 0);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1;  // add
    e.xclient.data.l[1] =
        static_cast<long>(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False));
    e.xclient.data.l[3] = 1;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(display);
}
std::atomic<bool> displayLost{false};

// Xlib calls this from whichever thread finds the connection to the X server broken: the
// library's event thread (it reads the display every 10 ms) or the game's own drawing.
// Xlib ends the process itself if this returns, so it never does: the first thread here
// says so, saves what main asked to save and ends the process at once, without the exit
// handlers (the library's would talk to the display that is gone); a second thread
// noticing too sleeps until then.
int onDisplayLost(Display*) {
    if (displayLost.exchange(true)) {
        for (;;) pause();
    }
    static const char line[] = "driftwing: lost the display\n";
    if (write(STDERR_FILENO, line, sizeof line - 1) < 0) {
        // nothing more can be said
    }
    if (void (*save)() = platformDisplayLostSave()) save();
    _exit(1);
}

// Called by open before the library starts: Xlib's handler is one for the whole
// process, and the library never sets one of its own.
void watchDisplay() { XSetIOErrorHandler(onDisplayLost); }

// Reads the window's events (keys, focus, the close button) on the game's own thread, now:
// the library does it on its background thread every 10 ms, and left to it a key would
// wait up to 10 ms more to be seen. Only the library's internal input handler does this
// under the library's own lock (it syncs with the server, then handles the queued
// events), so it is called here, and only here.
void readWindowEvents() { _xwin_handle_input(); }

// Sends the picture just copied to the screen on to the X server at once, instead of
// leaving it in Xlib's buffer until the background thread next syncs; the screen's
// acquire is the library's lock on the display.
void sendPicture() {
    acquire_screen();
    XFlush(_xwin.display);
    release_screen();
}

const std::vector<int> fullscreenDrivers = {GFX_AUTODETECT_WINDOWED};  // a window over the desktop
const std::vector<int> windowDrivers = {GFX_AUTODETECT_WINDOWED};
constexpr bool retraceIsReal = false;  // the X11 driver's vsync() waits about 27 ms, for no retrace
constexpr bool everyRowEveryFrame = false;
#elif defined(ALLEGRO_WINDOWS)
// DirectX's own fullscreen, at the desktop's resolution and depth: the display keeps its
// mode. Back from it, DirectDraw may refuse a window (Wine does): GDI's window then.
const std::vector<int> fullscreenDrivers = {GFX_AUTODETECT_FULLSCREEN};
const std::vector<int> windowDrivers = {GFX_AUTODETECT_WINDOWED, GFX_GDI};
void coverDesktop() {}
void watchDisplay() {}
void readWindowEvents() {}
void sendPicture() {}
constexpr bool retraceIsReal = true;
// Under Wine the first copies to a new window can be lost before it shows, and nothing
// paints them again: there every frame is copied whole, as the game always did.
constexpr bool everyRowEveryFrame = true;
#else
const std::vector<int> fullscreenDrivers = {GFX_AUTODETECT_WINDOWED};
const std::vector<int> windowDrivers = {GFX_AUTODETECT_WINDOWED};
void coverDesktop() {}
void watchDisplay() {}
void readWindowEvents() {}
void sendPicture() {}
constexpr bool retraceIsReal = true;
constexpr bool everyRowEveryFrame = false;
#endif

const char* const refusedFullscreen =
    "driftwing: the display refused fullscreen; playing in a window\n";

// The window or the desktop covered with the frame at a whole scale; false when the
// display refuses.
bool setMode(bool fullscreen) {
    int desktopWidth = 640, desktopHeight = 480;
    get_desktop_resolution(&desktopWidth, &desktopHeight);
    int largest =
        fullscreen ? std::max(1, std::min(desktopWidth / frameWidth, desktopHeight / frameHeight))
        : win.choice.scale ? win.choice.scale
                           : fittingScale(desktopWidth, desktopHeight);
    // The screen in the desktop's own pixel format, so that nothing converts it again.
    int depth = desktop_color_depth();
    if (depth != 15 && depth != 16) depth = 32;

    for (int s = largest; s >= 1; --s) {
        const int width = fullscreen ? desktopWidth : frameWidth * s;
        const int height = fullscreen ? desktopHeight : frameHeight * s;
        for (int d : {depth, 8}) {
            set_color_depth(d);
            bool opened = false;
            for (int driver : fullscreen ? fullscreenDrivers : windowDrivers)
                opened = opened || set_gfx_mode(driver, width, height, 0, 0) == 0;
            if (!opened) continue;
            win.scale = s;
            win.screenDepth = d;
            win.originX = (width - frameWidth * s) / 2;
            win.originY = (height - frameHeight * s) / 2;
            win.fullscreenNow = fullscreen;
            // The game's own pictures stay 8-bit; the mode left palette_color as the
            // identity, so the score line drawn in palette_color[15] is index 15.
            set_color_depth(8);
            return true;
        }
    }
    return false;
}

// The colours of the game's pixels on this screen; every new screen takes them again
// (a mode starts with the library's default palette, and may have another depth).
void showPalette(const RGB* palette) {
    win.gamePalette = palette;
    if (win.screenDepth == 8) set_palette(palette);
    for (int i = 0; i < 256; ++i) {
        auto widen = [](int six) { return six << 2 | six >> 4; };
        win.screenColours[i] =
            makecol_depth(win.screenDepth == 8 ? 32 : win.screenDepth, widen(palette[i].r),
                          widen(palette[i].g), widen(palette[i].b));
    }
    win.redrawAll = true;
}

// A new picture of the platform's own, or null after the line that says so on standard error.
BITMAP* makePicture(int depth, int width, int height) {
    BITMAP* picture = create_bitmap_ex(depth, width, height);
    if (!picture) std::fprintf(stderr, "driftwing: cannot make a %d × %d picture\n", width, height);
    return picture;
}

enum class Opened { yes, refused, noPicture };

// Everything that goes with a new screen: its buffers, black borders, the game's colours,
// the pacer's choice. Called by open and toggleFullscreen; no frame is shown unless yes.
Opened openScreen(bool fullscreen) {
    win.screenReady = false;
    for (BITMAP** b : {&win.canvas, &win.lineCanvas}) {
        if (*b) destroy_bitmap(*b);
        *b = nullptr;
    }
    if (!setMode(fullscreen) && !setMode(!fullscreen)) return Opened::refused;
    if (win.screenDepth != 8 &&
        (!(win.canvas = makePicture(win.screenDepth, frameWidth * win.scale,
                                    frameHeight * win.scale)) ||
         !(win.lineCanvas =
               makePicture(win.screenDepth, frameWidth * win.scale, lineRows * win.scale))))
        return Opened::noPicture;
    const int below = SCREEN_H - win.originY - frameHeight * win.scale;
    win.lineInBand = win.fullscreenNow && below >= lineRows * win.scale;
    clear_to_color(screen, 0);
    if (win.fullscreenNow) coverDesktop();
    set_close_button_callback(onCloseButton);
    if (set_display_switch_mode(SWITCH_BACKGROUND) == 0)
        set_display_switch_callback(SWITCH_OUT, onFocusLost);
    void (*retraceWait)() = nullptr;
    if (retraceIsReal) retraceWait = [] { vsync(); };
    win.pacer.useRetraceWait(retraceWait);
    if (win.gamePalette) showPalette(win.gamePalette);
    win.redrawAll = true;
    win.screenReady = true;
    return Opened::yes;
}

// The library's background thread (key and window events, sound mixing: every 10 ms)
// sleeps 1 ms at a time between looks at the clock, a thousand wake-ups a second that
// cost more than the whole game. A thread takes its timer slack from the thread that
// starts it, so the library's threads are started with 9 ms of slack (their 1 ms sleeps
// end with the 10 ms beat they keep anyway) and the game's own thread gets the default
// back: no other sleep of the process changes.
void slackenLibraryThreads(bool starting) {
#ifdef __linux__
    constexpr unsigned long librarySlack = 9'000'000;  // ns
    prctl(PR_SET_TIMERSLACK, starting ? librarySlack : 0UL, 0UL, 0UL, 0UL);
#else
    (void)starting;
#endif
}

// The library, its keyboard, timer and sound, and the first screen; false after a line
// that says why.
bool openLibraryAndScreen() {
    // What the command line names overrides what was remembered, and is remembered in turn.
    const CommandLine& commandLine = givenCommandLine();
    const Settings settings = loadSettings();
    win.choice = settings.display;
    win.sound = settings.sound;
    win.keys = settings.keys;
    win.pad = settings.pad;
    if (commandLine.scaleGiven) win.choice.scale = commandLine.display.scale;
    if (commandLine.fullscreenGiven) win.choice.fullscreen = commandLine.display.fullscreen;
    if (commandLine.music >= 0) win.sound.music = commandLine.music;
    if (commandLine.effects >= 0) win.sound.effects = commandLine.effects;
    const bool remember = commandLine.scaleGiven || commandLine.fullscreenGiven ||
                          commandLine.music >= 0 || commandLine.effects >= 0;
    if (install_allegro(SYSTEM_AUTODETECT, nullptr, atexit) != 0) {
        std::fprintf(stderr, "driftwing: cannot start: %s\n",
                     allegro_error[0] ? allegro_error : "no display to open a window on");
        return false;
    }
    install_keyboard();
    keyboard_lowlevel_callback = onKey;
    install_timer();
    {
        LeakCheckPause driversKeepTheirConfiguration;
        install_sound(DIGI_AUTODETECT, MIDI_NONE, "");
    }
    set_window_title("");
    catchQuitSignals();  // the library has just put handlers of its own in their place
    if (remember) saveSettings(win.choice, win.sound);
    const Opened opened = openScreen(win.choice.fullscreen);
    if (opened == Opened::refused) {
        std::string reason = allegro_error;
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        std::fprintf(stderr, "driftwing: cannot open a window: %s\n",
                     reason.empty() ? "no graphics mode" : reason.c_str());
        return false;
    }
    if (opened == Opened::yes && win.fullscreenNow != win.choice.fullscreen)
        std::fputs(refusedFullscreen, stderr);
    if (opened == Opened::noPicture || !(win.shown = makePicture(8, frameWidth, frameHeight)) ||
        !(win.pausedFrame = makePicture(8, frameWidth, frameHeight)) ||
        !(win.composed = makePicture(8, frameWidth, frameHeight)) ||
        !(win.lineStrip = makePicture(8, frameWidth, lineRows))) {
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        return false;
    }
    return true;
}

// The pad, when one is there: no pad is no message. A device named in the settings that
// the library cannot read as a joystick is said once on standard error, and the game
// plays on without it. Called once the window is open (DirectInput wants it).
void openPad() {
    if (!win.pad.device.empty()) {
        // The library's Linux driver reads the device of its own joystick_device_0.
        const std::string config = "[joystick]\njoystick_device_0 = " + win.pad.device + "\n";
        override_config_data(config.c_str(), static_cast<int>(config.size()));
    }
    {
        LeakCheckPause driversKeepTheirConfiguration;
        win.padPresent = install_joystick(JOY_TYPE_AUTODETECT) == 0 && num_joysticks > 0;
    }
    if (!win.padPresent && !win.pad.device.empty())
        std::fprintf(stderr, "driftwing: %s: device = %s is no pad the library can read (%s)\n",
                     settingsPath().c_str(), win.pad.device.c_str(),
                     allegro_error[0] ? allegro_error : "no joystick there");
}

bool open() {
    watchDisplay();
    slackenLibraryThreads(true);
    const bool opened = openLibraryAndScreen();
    if (opened) openPad();
    slackenLibraryThreads(false);
    return opened;
}

void waitRetrace() { win.pacer.wait(); }

// Row Y of an 8-bit picture the frame's width into CANVAS, every pixel widened to
// scale x scale.
template <typename Pixel>
void enlargeRow(BITMAP* picture, BITMAP* canvas, int y) {
    const unsigned char* from = picture->line[y];
    Pixel* to = reinterpret_cast<Pixel*>(canvas->line[y * win.scale]);
    if (win.scale == 1) {
        for (int x = 0; x < frameWidth; ++x) to[x] = static_cast<Pixel>(win.screenColours[from[x]]);
        return;
    }
    for (int x = 0; x < frameWidth; ++x) {
        const Pixel pixel = static_cast<Pixel>(win.screenColours[from[x]]);
        for (int i = 0; i < win.scale; ++i) *to++ = pixel;
    }
    for (int i = 1; i < win.scale; ++i)
        std::memcpy(canvas->line[y * win.scale + i], canvas->line[y * win.scale],
                    sizeof(Pixel) * frameWidth * win.scale);
}

void enlargeRow(BITMAP* picture, BITMAP* canvas, int y) {
    if (win.screenDepth == 32) enlargeRow<uint32_t>(picture, canvas, y);
    if (win.screenDepth == 15 || win.screenDepth == 16) enlargeRow<uint16_t>(picture, canvas, y);
}

// PICTURE (the frame's width, ROWS high) on the screen at the frame's left and TOP.
void copyToScreen(BITMAP* picture, BITMAP* canvas, int first, int rows, int top) {
    if (win.screenDepth == 8) {
        stretch_blit(picture, screen, 0, first, frameWidth, rows, win.originX,
                     top + first * win.scale, frameWidth * win.scale, rows * win.scale);
    } else {
        blit(canvas, screen, 0, first * win.scale, win.originX, top + first * win.scale,
             frameWidth * win.scale, rows * win.scale);
    }
}

// The line over a watched recording, in the frame's own pixels: the time played of the
// whole on the left, the speed on the right, and a bar of the whole length under them.
void drawPlaybackLine(BITMAP* strip, const PlaybackLine& l) {
    clear_to_color(strip, black);
    char text[64];
    auto seconds = [](int64_t frame) { return static_cast<int>(frame / 60); };
    std::snprintf(text, sizeof text, "%d:%02d / %d:%02d", seconds(l.frame) / 60,
                  seconds(l.frame) % 60, seconds(l.frames) / 60, seconds(l.frames) % 60);
    textout_ex(strip, font, text, 4, 2, white, -1);
    const char* speed = l.speedQuarters == 1 ? "x1/4" : l.speedQuarters == 2 ? "x1/2" : nullptr;
    if (!speed) std::snprintf(text, sizeof text, "x%d", l.speedQuarters / 4);
    char right[80];
    std::snprintf(right, sizeof right, "%s%s", l.paused ? "PAUSED  " : "", speed ? speed : text);
    textout_right_ex(strip, font, right, frameWidth - 4, 2, white, -1);
    constexpr int barLeft = 4, barRight = frameWidth - 5, barRow = 12;
    hline(strip, barLeft, barRow, barRight, white);
    const int64_t span = std::max<int64_t>(1, l.frames - 1);
    const int reached = barLeft + static_cast<int>((barRight - barLeft) * (l.frame - 1) / span);
    rectfill(strip, barLeft, barRow - 1, reached, barRow + 1, white);
}

// The line after a change of volume: the music's and the effects' loudness, or MUTED.
void drawVolumeLine(BITMAP* strip, const SoundChoice& sound) {
    clear_to_color(strip, black);
    char text[64];
    if (sound.muted) {
        std::snprintf(text, sizeof text, "MUTED (M)");
    } else {
        std::snprintf(text, sizeof text, "MUSIC %d%%  EFFECTS %d%%", sound.music, sound.effects);
    }
    textout_ex(strip, font, text, 4, 2, white, -1);
    constexpr int barLeft = 4, barRight = frameWidth - 5, barRow = 12;
    hline(strip, barLeft, barRow, barRight, white);
    const int loudest = sound.muted ? 0 : std::max(sound.music, sound.effects);
    if (loudest > 0)
        rectfill(strip, barLeft, barRow - 1, barLeft + (barRight - barLeft) * loudest / 100,
                 barRow + 1, white);
}

// The line in the band below the frame, or that band black again once the line goes.
void presentLineInBand(bool shown) {
    const int top = win.originY + frameHeight * win.scale;
    if (!shown) {
        rectfill(screen, win.originX, top, win.originX + frameWidth * win.scale - 1,
                 top + lineRows * win.scale - 1, 0);
        return;
    }
    for (int y = 0; y < lineRows && win.screenDepth != 8; ++y)
        enlargeRow(win.lineStrip, win.lineCanvas, y);
    copyToScreen(win.lineStrip, win.lineCanvas, 0, lineRows, top);
}

// Only the rows that changed since the last frame are enlarged and sent to the screen,
// at once; a watched recording's line goes over the frame's bottom rows, or below it.
void present(BITMAP* frame) {
    if (!win.screenReady) return;
    const bool volumeShown = win.volumeLineFrames > 0;
    if (volumeShown) --win.volumeLineFrames;
    const bool lineShown = win.lineShown || volumeShown;
    const bool lineOverFrame = lineShown && !win.lineInBand;
    if (volumeShown) {
        drawVolumeLine(win.lineStrip, win.sound);
    } else if (win.lineShown) {
        drawPlaybackLine(win.lineStrip, win.line);
    }
    if (lineOverFrame) {
        blit(frame, win.composed, 0, 0, 0, 0, frameWidth, frameHeight - lineRows);
        blit(win.lineStrip, win.composed, 0, 0, 0, frameHeight - lineRows, frameWidth, lineRows);
        frame = win.composed;
    }
    const bool inBand = lineShown && win.lineInBand;
    const bool bandChanged = inBand || win.lineWasInBand;
    if (bandChanged) presentLineInBand(inBand);
    win.lineWasInBand = inBand;
    int first = -1, last = -1;
    for (int y = 0; y < frameHeight; ++y) {
        if (!win.redrawAll && std::memcmp(frame->line[y], win.shown->line[y], frameWidth) == 0)
            continue;
        std::memcpy(win.shown->line[y], frame->line[y], frameWidth);
        enlargeRow(win.shown, win.canvas, y);
        if (first < 0) first = y;
        last = y;
    }
    win.redrawAll = everyRowEveryFrame;
    if (first >= 0) copyToScreen(win.shown, win.canvas, first, last - first + 1, win.originY);
    if (first >= 0 || bandChanged) sendPicture();
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

// The keyboard's game keys and the pad's, merged: a game played with the pad is the
// same kind of game, recorded the same way. The pad's pause button is P's.
uint32_t pollKeys() {
    readWindowEvents();
    poll_keyboard();
    const PadState pad = readPad();
    if (padPausePressed(win.padBefore, pad, win.pad)) win.windowKeysPressed |= pauseAsked;
    win.padBefore = pad;
    return win.tappedKeys.take(win.keys.gameKeysDown(key) | padKeys(pad, win.pad));
}

// A sound's volume (0..255) at the player's choice of loudness (0..100), muted or not.
int loudness(int volume, int percent) { return win.sound.muted ? 0 : volume * percent / 100; }

void playSample(const char*, SAMPLE* sample, int volume, int pan, int frequency, int loop) {
    if (!loop) {
        const int voice = play_sample(sample, loudness(volume, win.sound.effects), pan, frequency, 0);
        win.effectVoices[win.nextEffectVoice] = voice + 1;
        win.nextEffectVoice = (win.nextEffectVoice + 1) % effectVoicesKept;
        return;
    }
    // The music keeps a voice of its own, so that a pause can hold it where it is.
    win.musicVoice = allocate_voice(sample);
    if (win.musicVoice < 0) return;
    win.musicVolume = volume;
    voice_set_volume(win.musicVoice, loudness(volume, win.sound.music));
    voice_set_pan(win.musicVoice, pan);
    voice_set_frequency(win.musicVoice, sample->freq * frequency / 1000);
    voice_set_playmode(win.musicVoice, PLAYMODE_LOOP);
    voice_start(win.musicVoice);
}

uint32_t playbackControls() { return win.playbackAsked.exchange(0); }

void showPlaybackLine(const PlaybackLine* line) {
    win.lineShown = line != nullptr;
    if (line) win.line = *line;
}

void holdMusic(bool held) {
    if (win.musicVoice < 0 || held == win.musicHeld) return;
    win.musicHeld = held;
    if (held) {
        voice_stop(win.musicVoice);
    } else {
        voice_start(win.musicVoice);
    }
}

// F11 or Alt+Enter: into fullscreen or back to the window as it was, remembered for the
// next start. A display that refuses the new mode leaves the game as it was; one that
// refuses every mode, or a canvas that cannot be had, asks the game to quit (exit code 1)
// the normal way, so that a recording keeps its closing line.
void toggleFullscreen() {
    const bool wanted = !win.fullscreenNow;
    const Opened opened = openScreen(wanted);
    if (opened == Opened::refused)
        std::fprintf(stderr, "driftwing: the display refused every mode\n");
    if (opened != Opened::yes) {
        askToQuit(1);
        return;
    }
    if (win.fullscreenNow != wanted) {
        std::fputs(wanted ? refusedFullscreen
                          : "driftwing: the display refused a window; staying fullscreen\n",
                   stderr);
        return;
    }
    win.choice.fullscreen = win.fullscreenNow;
    saveSettings(win.choice, win.sound);
}

// F12: the picture on the screen now, as the window shows it, saved as a PNG.
void takeScreenshotIfAsked(uint32_t asked) {
    if ((asked & screenshotAsked) && win.screenReady && win.gamePalette)
        saveScreenshot(win.shown, win.gamePalette, win.scale);
}

// The black box PAUSED stands in, in the middle of the frame (the library's 8-pixel font).
constexpr int pauseBoxLeft = 112, pauseBoxTop = 138, pauseBoxRight = 207, pauseBoxBottom = 161;
constexpr int pauseTextTop = 146;

// M, [ and ]: mute and unmute, the volume down and up by a step, music and effects together;
// the new volume shown for two seconds and remembered. Every sound already playing takes
// it at once: no frame of the game is involved.
void changeVolume(uint32_t asked) {
    if (!(asked & (muteAsked | quieterAsked | louderAsked))) return;
    SoundChoice& s = win.sound;
    if (asked & muteAsked) s.muted = !s.muted;
    const int step = (asked & louderAsked ? volumeStep : 0) - (asked & quieterAsked ? volumeStep : 0);
    if (step) {
        s.muted = false;
        s.music = std::clamp(s.music + step, 0, 100);
        s.effects = std::clamp(s.effects + step, 0, 100);
    }
    if (win.musicVoice >= 0) voice_set_volume(win.musicVoice, loudness(win.musicVolume, s.music));
    for (int kept : win.effectVoices) {
        const int voice = kept - 1;
        if (s.muted && voice >= 0 && voice != win.musicVoice && voice_check(voice))
            voice_set_volume(voice, 0);
    }
    win.volumeLineFrames = framesVolumeShown;
    saveSettings(win.choice, win.sound);
}

// The last frame stays on the screen with PAUSED over it, the music held, until P again
// (or Escape, or the close button: then true, to quit). No frame of the game passes.
bool pauseUntilResumed() {
    blit(win.shown, win.pausedFrame, 0, 0, 0, 0, frameWidth, frameHeight);
    rectfill(win.pausedFrame, pauseBoxLeft, pauseBoxTop, pauseBoxRight, pauseBoxBottom, black);
    textout_centre_ex(win.pausedFrame, font, "PAUSED", frameWidth / 2, pauseTextTop, white, -1);
    if (win.musicVoice >= 0) voice_stop(win.musicVoice);
    bool quit = false;
    while (!quit) {
        present(win.pausedFrame);
        sleepUntilNanos(monotonicNanos() + FramePacer::framePeriod);
        const uint32_t asked = win.windowKeysPressed.exchange(0);
        if (asked & fullscreenAsked) toggleFullscreen();
        changeVolume(asked);
        takeScreenshotIfAsked(asked);
        quit = (pollKeys() & HeldEsc) || win.closeButtonPressed || quitAsked();
        if (asked & pauseAsked) break;
    }
    if (win.musicVoice >= 0) voice_start(win.musicVoice);
    win.tappedKeys.take(0);  // keys tapped while paused do not reach the game
    win.focusLost = false;
    win.pacer.restart();
    return quit;
}

bool betweenFrames(bool gameInProgress) {
    const uint32_t asked = win.windowKeysPressed.exchange(0);
    if (asked & fullscreenAsked) toggleFullscreen();
    changeVolume(asked);
    takeScreenshotIfAsked(asked);
    if (quitAsked()) return true;
    const bool unfocused = win.focusLost.exchange(false);
    if (gameInProgress && ((asked & pauseAsked) || unfocused)) return pauseUntilResumed();
    return win.closeButtonPressed != 0;
}

void leaveGraphics() { set_gfx_mode(GFX_TEXT, 0, 0, 0, 0); }
}  // namespace

const Platform windowPlatform = {open,          waitRetrace,      present,       pollKeys,
                                 playSample,    showPalette,      betweenFrames, leaveGraphics,
                                 playbackControls, showPlaybackLine, holdMusic};
