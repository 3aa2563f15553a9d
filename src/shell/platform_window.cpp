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
#include <dlfcn.h>
#include <sys/select.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/frame.h"
#include "shell/keys.h"
#include "shell/leak_check.h"
#include "shell/options.h"
#include "shell/pacer.h"
#include "shell/platform.h"
#include "shell/quit.h"

#ifdef __linux__
// The library's background thread (key and window events, sound mixing: every 10 ms)
// sleeps in select() for 1 ms between looks at the clock, a thousand wake-ups a second
// that cost more than the whole game. Its work keeps its 10 ms beat when that one sleep
// lasts 10 ms, so the game stretches it here; every other select() is the C library's.
extern "C" int select(int count, fd_set* reads, fd_set* writes, fd_set* errors, timeval* timeout) {
    using Select = int (*)(int, fd_set*, fd_set*, fd_set*, timeval*);
    static const Select next = reinterpret_cast<Select>(dlsym(RTLD_NEXT, "select"));
    if (count == 0 && !reads && !writes && !errors && timeout && timeout->tv_sec == 0 &&
        timeout->tv_usec == 1000)
        timeout->tv_usec = 10000;
    return next(count, reads, writes, errors, timeout);
}
#endif

namespace {
struct KeyBit {
    int scancode;
    GameKey bit;
};
constexpr KeyBit gameKeys[] = {{KEY_ESC, HeldEsc}, {KEY_LEFT, HeldLeft}, {KEY_RIGHT, HeldRight},
                               {KEY_UP, HeldUp},   {KEY_DOWN, HeldDown}, {KEY_SPACE, HeldSpace},
                               {KEY_S, HeldS}};
// Keys about the window rather than the game, noted as they are pressed.
constexpr uint32_t pauseAsked = 1, fullscreenAsked = 2;

volatile int closeButtonPressed = 0;
std::atomic<bool> focusLost{false};
std::atomic<uint32_t> windowKeysPressed{0};
KeyLatch tappedKeys;
FramePacer pacer;

CommandLine commandLine;
DisplayChoice choice;  // what the player asked for: settings, then the command line
bool fullscreenNow = false;
int scale = 1, originX = 0, originY = 0;  // the frame's size and place on the screen
int screenDepth = 8;
BITMAP* canvas = nullptr;  // the frame enlarged, in the screen's pixel format
BITMAP* shown = nullptr;   // the 8-bit frame now on the screen; only rows that differ are redrawn
BITMAP* pausedFrame = nullptr;
uint32_t screenColours[256];       // screen pixel of each palette index
const RGB* gamePalette = nullptr;  // the palette the game last showed
bool redrawAll = true;
bool screenReady = false;  // a mode is set and the canvas made: frames may be shown
int musicVoice = -1;

void onCloseButton() { closeButtonPressed = 1; }

void onFocusLost() { focusLost = true; }

// Called by the keyboard driver's thread for every key that goes down or up.
void onKey(int scancode) {
    if (scancode & 0x80) return;
    for (const KeyBit& k : gameKeys) {
        if (scancode == k.scancode) tappedKeys.press(k.bit);
    }
    if (scancode == KEY_P) windowKeysPressed |= pauseAsked;
    if (scancode == KEY_F11 || (scancode == KEY_ENTER && (key_shifts & KB_ALT_FLAG)))
        windowKeysPressed |= fullscreenAsked;
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
constexpr bool retraceIsReal = true;
// Under Wine the first copies to a new window can be lost before it shows, and nothing
// paints them again: there every frame is copied whole, as the game always did.
constexpr bool everyRowEveryFrame = true;
#else
const std::vector<int> fullscreenDrivers = {GFX_AUTODETECT_WINDOWED};
const std::vector<int> windowDrivers = {GFX_AUTODETECT_WINDOWED};
void coverDesktop() {}
void watchDisplay() {}
constexpr bool retraceIsReal = true;
constexpr bool everyRowEveryFrame = false;
#endif

// The window or the desktop covered with the frame at a whole scale; false when the
// display refuses.
bool setMode(bool fullscreen) {
    int desktopWidth = 640, desktopHeight = 480;
    get_desktop_resolution(&desktopWidth, &desktopHeight);
    int largest =
        fullscreen ? std::max(1, std::min(desktopWidth / frameWidth, desktopHeight / frameHeight))
        : choice.scale ? choice.scale
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
            scale = s;
            screenDepth = d;
            originX = (width - frameWidth * s) / 2;
            originY = (height - frameHeight * s) / 2;
            fullscreenNow = fullscreen;
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
    gamePalette = palette;
    if (screenDepth == 8) set_palette(palette);
    for (int i = 0; i < 256; ++i) {
        auto widen = [](int six) { return six << 2 | six >> 4; };
        screenColours[i] = makecol_depth(screenDepth == 8 ? 32 : screenDepth, widen(palette[i].r),
                                         widen(palette[i].g), widen(palette[i].b));
    }
    redrawAll = true;
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
    screenReady = false;
    if (canvas) destroy_bitmap(canvas);
    canvas = nullptr;
    if (!setMode(fullscreen) && !setMode(!fullscreen)) return Opened::refused;
    if (screenDepth != 8 &&
        !(canvas = makePicture(screenDepth, frameWidth * scale, frameHeight * scale)))
        return Opened::noPicture;
    clear_to_color(screen, 0);
    if (fullscreenNow) coverDesktop();
    set_close_button_callback(onCloseButton);
    if (set_display_switch_mode(SWITCH_BACKGROUND) == 0)
        set_display_switch_callback(SWITCH_OUT, onFocusLost);
    void (*retraceWait)() = nullptr;
    if (retraceIsReal) retraceWait = [] { vsync(); };
    pacer.useRetraceWait(retraceWait);
    if (gamePalette) showPalette(gamePalette);
    redrawAll = true;
    screenReady = true;
    return Opened::yes;
}

bool open() {
    watchDisplay();
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
    // What the command line names overrides what was remembered, and is remembered in turn.
    choice = loadDisplayChoice();
    if (commandLine.scaleGiven) choice.scale = commandLine.display.scale;
    if (commandLine.fullscreenGiven) choice.fullscreen = commandLine.display.fullscreen;
    if (commandLine.scaleGiven || commandLine.fullscreenGiven) saveDisplayChoice(choice);
    const Opened opened = openScreen(choice.fullscreen);
    if (opened == Opened::refused) {
        std::string reason = allegro_error;
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        std::fprintf(stderr, "driftwing: cannot open a window: %s\n",
                     reason.empty() ? "no graphics mode" : reason.c_str());
        return false;
    }
    if (opened == Opened::yes && fullscreenNow != choice.fullscreen)
        std::fprintf(stderr, "driftwing: the display refused fullscreen; playing in a window\n");
    if (opened == Opened::noPicture || !(shown = makePicture(8, frameWidth, frameHeight)) ||
        !(pausedFrame = makePicture(8, frameWidth, frameHeight))) {
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        return false;
    }
    return true;
}

void waitRetrace() { pacer.wait(); }

// One row of the frame into the canvas, every pixel widened to scale x scale.
template <typename Pixel>
void enlargeRow(int y) {
    const unsigned char* from = shown->line[y];
    Pixel* to = reinterpret_cast<Pixel*>(canvas->line[y * scale]);
    if (scale == 1) {
        for (int x = 0; x < frameWidth; ++x) to[x] = static_cast<Pixel>(screenColours[from[x]]);
        return;
    }
    for (int x = 0; x < frameWidth; ++x) {
        const Pixel pixel = static_cast<Pixel>(screenColours[from[x]]);
        for (int i = 0; i < scale; ++i) *to++ = pixel;
    }
    for (int i = 1; i < scale; ++i)
        std::memcpy(canvas->line[y * scale + i], canvas->line[y * scale],
                    sizeof(Pixel) * frameWidth * scale);
}

// Only the rows that changed since the last frame are enlarged and sent to the screen.
void present(BITMAP* frame) {
    if (!screenReady) return;
    int first = -1, last = -1;
    for (int y = 0; y < frameHeight; ++y) {
        if (!redrawAll && std::memcmp(frame->line[y], shown->line[y], frameWidth) == 0) continue;
        std::memcpy(shown->line[y], frame->line[y], frameWidth);
        if (screenDepth == 32) enlargeRow<uint32_t>(y);
        if (screenDepth == 15 || screenDepth == 16) enlargeRow<uint16_t>(y);
        if (first < 0) first = y;
        last = y;
    }
    redrawAll = everyRowEveryFrame;
    if (first < 0) return;
    const int rows = last - first + 1;
    if (screenDepth == 8) {
        stretch_blit(shown, screen, 0, first, frameWidth, rows, originX, originY + first * scale,
                     frameWidth * scale, rows * scale);
    } else {
        blit(canvas, screen, 0, first * scale, originX, originY + first * scale, frameWidth * scale,
             rows * scale);
    }
}

uint32_t pollKeys() {
    poll_keyboard();
    uint32_t held = 0;
    for (const KeyBit& k : gameKeys) {
        if (key[k.scancode]) held |= k.bit;
    }
    return tappedKeys.take(held);
}

void playSample(const char*, SAMPLE* sample, int volume, int pan, int frequency, int loop) {
    if (!loop) {
        play_sample(sample, volume, pan, frequency, 0);
        return;
    }
    // The music keeps a voice of its own, so that a pause can hold it where it is.
    musicVoice = allocate_voice(sample);
    if (musicVoice < 0) return;
    voice_set_volume(musicVoice, volume);
    voice_set_pan(musicVoice, pan);
    voice_set_frequency(musicVoice, sample->freq * frequency / 1000);
    voice_set_playmode(musicVoice, PLAYMODE_LOOP);
    voice_start(musicVoice);
}

// F11 or Alt+Enter: into fullscreen or back to the window as it was, remembered for the
// next start. A display that refuses the new mode leaves the game as it was; one that
// refuses every mode, or a canvas that cannot be had, asks the game to quit (exit code 1)
// the normal way, so that a recording keeps its closing line.
void toggleFullscreen() {
    const bool wanted = !fullscreenNow;
    const Opened opened = openScreen(wanted);
    if (opened == Opened::refused)
        std::fprintf(stderr, "driftwing: the display refused every mode\n");
    if (opened != Opened::yes) {
        askToQuit(1);
        return;
    }
    if (fullscreenNow != wanted) {
        std::fprintf(stderr,
                     wanted ? "driftwing: the display refused fullscreen; playing in a window\n"
                            : "driftwing: the display refused a window; staying fullscreen\n");
        return;
    }
    choice.fullscreen = fullscreenNow;
    saveDisplayChoice(choice);
}

// The last frame stays on the screen with PAUSED over it, the music held, until P again
// (or Escape, or the close button: then true, to quit). No frame of the game passes.
bool pauseUntilResumed() {
    blit(shown, pausedFrame, 0, 0, 0, 0, frameWidth, frameHeight);
    rectfill(pausedFrame, 112, 138, 207, 161, 0);
    textout_centre_ex(pausedFrame, font, "PAUSED", frameWidth / 2, 146, 15, -1);
    if (musicVoice >= 0) voice_stop(musicVoice);
    bool quit = false;
    while (!quit) {
        present(pausedFrame);
        sleepUntilNanos(monotonicNanos() + FramePacer::framePeriod);
        const uint32_t asked = windowKeysPressed.exchange(0);
        if (asked & fullscreenAsked) toggleFullscreen();
        quit = (pollKeys() & HeldEsc) || closeButtonPressed || quitAsked();
        if (asked & pauseAsked) break;
    }
    if (musicVoice >= 0) voice_start(musicVoice);
    tappedKeys.take(0);  // keys tapped while paused do not reach the game
    focusLost = false;
    pacer.restart();
    return quit;
}

bool betweenFrames(bool gameInProgress) {
    const uint32_t asked = windowKeysPressed.exchange(0);
    if (asked & fullscreenAsked) toggleFullscreen();
    if (quitAsked()) return true;
    const bool unfocused = focusLost.exchange(false);
    if (gameInProgress && ((asked & pauseAsked) || unfocused)) return pauseUntilResumed();
    return closeButtonPressed != 0;
}

void leaveGraphics() { set_gfx_mode(GFX_TEXT, 0, 0, 0, 0); }
}  // namespace

void useCommandLine(const CommandLine& given) { commandLine = given; }

const Platform windowPlatform = {open,       waitRetrace, present,       pollKeys,
                                 playSample, showPalette, betweenFrames, leaveGraphics};
