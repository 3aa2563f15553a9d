// xprobe.cpp -- a small X client for the whole-program tests: exact screenshots, the
// picture's changes over time, and the close button
//
//   xprobe shot WINDOW FILE.ppm      the window's pixels as a binary PPM
//   xprobe watch SECONDS [WxH [MS]]  waits for a mapped window of that size (320x300),
//                                    then looks at it every MS milliseconds (2) and
//                                    prints "millis hash lit" each time its picture
//                                    changes (monotonic clock; lit: pixels not black)
//   xprobe close WINDOW              sends WM_DELETE_WINDOW, as a window manager's
//                                    close button does
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "state/fnv.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {
int gameWidth = 320, gameHeight = 300;
long pollMicros = 2000;

int64_t nowMicros() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

void sleepMicros(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000};
    nanosleep(&t, nullptr);
}

// Errors from a window that goes away while we look at it are expected, not fatal.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

bool isGameWindow(Display* d, Window w) {
    XWindowAttributes a;
    return XGetWindowAttributes(d, w, &a) && a.width == gameWidth && a.height == gameHeight &&
           a.map_state == IsViewable;
}

Window findOnce(Display* d) {
    Window root = DefaultRootWindow(d), parent, *children = nullptr;
    unsigned n = 0;
    Window found = 0;
    if (XQueryTree(d, root, &root, &parent, &children, &n)) {
        for (unsigned i = 0; i < n && !found; ++i)
            if (isGameWindow(d, children[i])) found = children[i];
        XFree(children);
    }
    return found;
}

Window waitForWindow(Display* d, double seconds) {
    int64_t end = nowMicros() + static_cast<int64_t>(seconds * 1e6);
    while (nowMicros() < end) {
        if (Window w = findOnce(d)) return w;
        sleepMicros(1000);
    }
    return 0;
}

XImage* grab(Display* d, Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return nullptr;
    return XGetImage(d, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
}

// 64-bit FNV-1a over the rows of pixels, leaving out each row's padding.
uint64_t pictureHash(XImage* img) {
    uint64_t h = fnvOffsetBasis;
    size_t rowBytes = static_cast<size_t>(img->width) * img->bits_per_pixel / 8;
    for (int y = 0; y < img->height; ++y) {
        const unsigned char* p =
            reinterpret_cast<const unsigned char*>(img->data) + y * img->bytes_per_line;
        for (size_t i = 0; i < rowBytes; ++i) {
            h ^= p[i];
            h *= fnvPrime;
        }
    }
    return h;
}

// How many pixels are not black.
long litPixels(XImage* img) {
    long lit = 0;
    const unsigned long colour = img->red_mask | img->green_mask | img->blue_mask;
    for (int y = 0; y < img->height; ++y)
        for (int x = 0; x < img->width; ++x) lit += (XGetPixel(img, x, y) & colour) != 0;
    return lit;
}

// One 8-bit colour channel of a true-colour pixel.
unsigned char channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    unsigned long v = pixel & mask;
    while (!(mask & 1)) {
        mask >>= 1;
        v >>= 1;
    }
    return static_cast<unsigned char>(mask > 0xff ? v >> 8 : v);
}

int shot(Display* d, Window w, const char* path) {
    XImage* img = grab(d, w);
    if (!img) return 1;
    FILE* f = std::fopen(path, "wb");
    if (!f) return 1;
    std::fprintf(f, "P6\n%d %d\n255\n", img->width, img->height);
    std::vector<unsigned char> row(static_cast<size_t>(img->width) * 3);
    for (int y = 0; y < img->height; ++y) {
        for (int x = 0; x < img->width; ++x) {
            unsigned long p = XGetPixel(img, x, y);
            row[x * 3] = channel(p, img->red_mask);
            row[x * 3 + 1] = channel(p, img->green_mask);
            row[x * 3 + 2] = channel(p, img->blue_mask);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    XDestroyImage(img);
    return std::fclose(f) == 0 ? 0 : 1;
}

// Polls the picture every pollMicros until the window goes or the time is up.
int watch(Display* d, double seconds) {
    Window w = waitForWindow(d, 10);
    if (!w) return 1;
    int64_t start = nowMicros(), end = start + static_cast<int64_t>(seconds * 1e6);
    uint64_t last = 0;
    bool first = true;
    while (nowMicros() < end) {
        int64_t taken = nowMicros();
        XImage* img = grab(d, w);
        if (!img) break;
        uint64_t h = pictureHash(img);
        if (first || h != last) {
            std::printf("%.1f %016llx %ld\n", (taken - start) / 1000.0,
                        static_cast<unsigned long long>(h), litPixels(img));
            std::fflush(stdout);
        }
        XDestroyImage(img);
        first = false;
        last = h;
        sleepMicros(pollMicros);
    }
    return 0;
}

int requestClose(Display* d, Window w) {
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: xprobe shot WINDOW FILE | watch SECONDS [WxH [MS]] | close WINDOW\n");
    return 64;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xprobe: no display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    std::string cmd = argv[1];
    int rc;
    if (cmd == "watch") {
        if (argc > 3) std::sscanf(argv[3], "%dx%d", &gameWidth, &gameHeight);
        if (argc > 4) pollMicros = std::atol(argv[4]) * 1000;
        rc = watch(d, std::atof(argv[2]));
    } else {
        Window w = std::strtoul(argv[2], nullptr, 0);
        if (cmd == "shot" && argc == 4) rc = shot(d, w, argv[3]);
        else if (cmd == "close") rc = requestClose(d, w);
        else rc = usage();
    }
    XCloseDisplay(d);
    return rc;
}
