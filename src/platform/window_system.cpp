// window_system.cpp -- the desktop's own system beneath the library, for the window: X11's
// display and window manager on Linux, DirectX on Windows
#include "platform/window_system.h"

#include <allegro.h>

#ifdef ALLEGRO_WINDOWS
#include <winalleg.h>
#endif
#ifdef ALLEGRO_WITH_XWINDOWS
#include <X11/Xatom.h>
#include <unistd.h>
#include <xalleg.h>

#include <iterator>
#include <vector>

#include "platform/window_icon.h"
#endif
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "system/signals.h"

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

// Xlib calls this from whichever thread finds the connection to the X server broken, and
// ends the process itself if it returns, so it never does: the process ends at once,
// without the exit handlers (the library's would talk to the display that is gone).
namespace {
int onDisplayLost(::Display*) {
    static const char line[] = "driftwing: lost the display\n";
    if (write(STDERR_FILENO, line, sizeof line - 1) < 0) {
        // nothing more can be said
    }
    endAtOnce(1);
}
}  // namespace

// Called by open before the library starts: Xlib's handler is one for the whole process.
void watchDisplay() { XSetIOErrorHandler(onDisplayLost); }

// The library's own icon for the windows it makes, its logo as XPM text: documented for
// X11, but in no header.
extern "C" void* allegro_icon;

// Called by open before the library starts, which makes the window then: its class is
// driftwing/Driftwing (the desktop entry's StartupWMClass), kept by the library whenever
// it sets up the window again, and it carries no library logo.
void nameWindow() {
    xwin_set_window_name("driftwing", "Driftwing");
    allegro_icon = nullptr;
}

// Called by open once the library has made the window, before a mode shows it: the game's
// icon on it, _NET_WM_ICON (its width, height, then its pixels; Xlib takes 32-bit items
// as longs).
void showWindowIcon() {
    std::vector<unsigned long> icon{windowIconSize, windowIconSize};
    icon.insert(icon.end(), std::begin(windowIconPixels), std::end(windowIconPixels));
    XChangeProperty(_xwin.display, _xwin.wm_window,
                    XInternAtom(_xwin.display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                    static_cast<int>(icon.size()));
}

// Reads the window's events (keys, focus, the close button) on the game's own thread, now:
// left to the library's background thread (every 10 ms) a key would wait up to 10 ms more.
void readWindowEvents() { _xwin_handle_input(); }

// Sends the picture just copied on to the X server at once; the screen's acquire is the
// library's lock on the display.
void sendPicture() {
    acquire_screen();
    XFlush(_xwin.display);
    release_screen();
}

const int fullscreenDrivers[] = {GFX_AUTODETECT_WINDOWED, 0};  // a window over the desktop
const int windowDrivers[] = {GFX_AUTODETECT_WINDOWED, 0};
const bool retraceIsReal = false;  // the X11 driver's vsync() waits about 27 ms, for no retrace
const bool everyRowEveryFrame = false;
#else
void coverDesktop() {}
void watchDisplay() {}
void nameWindow() {}
void showWindowIcon() {}
void readWindowEvents() {}
void sendPicture() {}
#ifdef ALLEGRO_WINDOWS
// DirectX's own fullscreen, at the desktop's resolution and depth: the display keeps its
// mode. Back from it, DirectDraw may refuse a window (Wine does): GDI's window then.
const int fullscreenDrivers[] = {GFX_AUTODETECT_FULLSCREEN, 0};
const int windowDrivers[] = {GFX_AUTODETECT_WINDOWED, GFX_GDI, 0};
// Under Wine the first copies to a new window can be lost before it shows, and nothing
// paints them again: there every frame is copied whole, as the game always did.
const bool everyRowEveryFrame = true;
#else
const int fullscreenDrivers[] = {GFX_AUTODETECT_WINDOWED, 0};
const int windowDrivers[] = {GFX_AUTODETECT_WINDOWED, 0};
const bool everyRowEveryFrame = false;
#endif
const bool retraceIsReal = true;
#endif

// The library's background thread (key and window events, sound mixing: every 10 ms)
// sleeps 1 ms at a time between looks at the clock, a thousand wake-ups a second that
// cost more than the whole game. A thread takes its timer slack from the thread that
// starts it, so the library's threads are started with 9 ms of slack and the game's own
// thread gets the default back: no other sleep of the process changes.
void slackenLibraryThreads(bool starting) {
#ifdef __linux__
    constexpr unsigned long librarySlack = 9'000'000;  // ns
    prctl(PR_SET_TIMERSLACK, starting ? librarySlack : 0UL, 0UL, 0UL, 0UL);
#else
    (void)starting;
#endif
}

