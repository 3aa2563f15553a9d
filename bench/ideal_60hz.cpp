// ideal_60hz.cpp -- the yardstick for key-to-picture latency: a plain Xlib program at 60 Hz
//
//   driftwing-ideal-60hz [SECONDS]
//
// Opens a 640 x 600 window and at every 16.667 ms tick (absolute CLOCK_MONOTONIC
// deadlines) reads the key events queued since the last tick, draws at once (its colour
// toggles with every key press), puts the picture into the window and flushes: a key
// waits for the next tick and nothing else. Ends after SECONDS (default 600), or when
// the window is closed or its display goes away.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {
constexpr int width = 640, height = 600;
constexpr int64_t periodNanos = 16666667;

int64_t nowNanos() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Called by the tick loop: sleeps until the absolute monotonic time AT.
void sleepUntil(int64_t at) {
    timespec t{static_cast<time_t>(at / 1000000000), static_cast<long>(at % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0) {
    }
}

// Called by the tick loop on a key press: fills every pixel of IMAGE with PIXEL (one row
// pixel by pixel, the others copied from it).
void fill(XImage* image, unsigned long pixel) {
    for (int x = 0; x < width; ++x) XPutPixel(image, x, 0, pixel);
    for (int y = 1; y < height; ++y)
        std::memcpy(image->data + y * image->bytes_per_line, image->data, image->bytes_per_line);
}
}  // namespace

int main(int argc, char** argv) {
    const int64_t runNanos = (argc > 1 ? std::atoll(argv[1]) : 600) * 1000000000ll;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: no X display\n", argv[0]);
        return 2;
    }
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height,
                                        0, 0, BlackPixel(display, screen));
    XStoreName(display, window, "ideal 60 Hz");
    XSelectInput(display, window, KeyPressMask | ExposureMask);
    Atom closeAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &closeAtom, 1);
    XMapWindow(display, window);

    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    XImage* image = XCreateImage(display, visual, depth, ZPixmap, 0, nullptr, width, height, 32, 0);
    std::vector<char> pixels(static_cast<size_t>(image->bytes_per_line) * height);
    image->data = pixels.data();
    GC gc = DefaultGC(display, screen);
    const unsigned long colours[2] = {0x204080, 0xe0c040};
    int colour = 0, drawn = -1;

    const int64_t start = nowNanos();
    bool open = true;
    for (int64_t tick = start; open && tick - start < runNanos;) {
        sleepUntil(tick += periodNanos);
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == KeyPress) colour ^= 1;
            if (e.type == ClientMessage && static_cast<Atom>(e.xclient.data.l[0]) == closeAtom)
                open = false;
        }
        if (drawn != colour) fill(image, colours[colour]);
        drawn = colour;
        XPutImage(display, window, gc, image, 0, 0, 0, 0, width, height);
        XFlush(display);
    }
    image->data = nullptr;
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
