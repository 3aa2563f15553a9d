// latency_probe.cpp -- key-to-picture latency of a window, as a player feels it, over XTest and
// MIT-SHM
//
//   driftwing-latency-probe WIDTHxHEIGHT KEY PRESSES [--still MS] [--moves] [--samples FILE]
//
// Finds the mapped WIDTHxHEIGHT window among the root's children, gives it the keyboard
// focus, and PRESSES times: waits for the picture to stand still for --still MS (default
// 50), waits a random phase (uniform over two 60 Hz periods, so that the press falls
// anywhere in the target's frame), takes the picture, presses KEY (XTest) and polls the
// window's pixels at about 4 kHz until they differ from that picture; the sample is that
// moment less the moment of the press. Then the key goes up.
//
// A sample is thrown away, and the press made again, when the picture changes during the
// random phase (before the press), when the first changed picture is one the window also
// showed with no key (a title blink), when nothing changes within a second, or, with
// --moves (the key starts a game whose frames all move), when the picture stands still in
// the 100 ms after the change. Prints "PRESSES MEDIAN P90 P99 DISCARDED POLL_HZ", times in
// ms; with --samples FILE every kept sample goes to FILE, one a line.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {
constexpr int64_t periodNanos = 16666667;         // one 60 Hz frame
constexpr int64_t pollNanos = 250000;             // 4 kHz
constexpr int64_t noChangeNanos = 1000000000;     // a press that changes nothing in this is lost
constexpr int64_t motionNanos = 100000000;        // a started game keeps moving over this
constexpr int64_t windowWaitNanos = 10000000000;  // the window must appear in this
constexpr int maxDiscards = 100;

int64_t nowNanos() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Called by the polling loops: sleeps until the absolute monotonic time AT.
void sleepUntil(int64_t at) {
    timespec t{static_cast<time_t>(at / 1000000000), static_cast<long>(at % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0) {
    }
}

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

// Called by main while the target starts: the mapped window of that size among the root's
// children (and theirs), or 0.
Window findWindow(Display* display, Window parent, int width, int height, int depth = 0) {
    Window root, up, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, children[i], &a)) continue;
        if (a.map_state == IsViewable && a.width == width && a.height == height) {
            found = children[i];
        } else if (depth < 2) {
            found = findWindow(display, children[i], width, height, depth + 1);
        }
    }
    if (children) XFree(children);
    return found;
}

// The window's pixels through one shared-memory image, polled and compared.
class Picture {
public:
    // Called by main once the window is found: attaches the shared image; false if it cannot.
    bool open(Display* display, Window window, int width, int height) {
        display_ = display;
        window_ = window;
        XWindowAttributes a;
        XGetWindowAttributes(display, window, &a);
        image_ =
            XShmCreateImage(display, a.visual, a.depth, ZPixmap, nullptr, &shm_, width, height);
        if (!image_) return false;
        bytes_ = static_cast<size_t>(image_->bytes_per_line) * image_->height;
        shm_.shmid = shmget(IPC_PRIVATE, bytes_, IPC_CREAT | 0600);
        if (shm_.shmid < 0) return false;
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        const bool attached = XShmAttach(display, &shm_);
        XSync(display, False);
        shmctl(shm_.shmid, IPC_RMID, nullptr);  // gone once both sides detach
        return attached;
    }

    // Called by the sampling loop: takes the window's picture into the shared image.
    bool grab() {
        ++grabs_;
        return XShmGetImage(display_, window_, image_, 0, 0, AllPlanes);
    }

    // Called by the sampling loop: keeps the picture now in the shared image as KEPT.
    void keep(std::vector<char>& kept) const { kept.assign(image_->data, image_->data + bytes_); }

    // Called by the sampling loop: whether the shared image differs from KEPT.
    bool differs(const std::vector<char>& kept) const {
        return std::memcmp(image_->data, kept.data(), bytes_) != 0;
    }

    // Called when a picture is to be recognised later: a 64-bit digest of the shared image.
    uint64_t digest() const {
        uint64_t d = 1469598103934665603ull;
        const char* p = image_->data;
        for (size_t i = 0; i + 8 <= bytes_; i += 8) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            d = (d ^ word) * 1099511628211ull;
        }
        return d;
    }

    long grabs() const { return grabs_; }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    size_t bytes_ = 0;
    long grabs_ = 0;
};

// Called by main for the three figures: the nearest-rank percentile P of the sorted SAMPLES.
double percentile(const std::vector<double>& sorted, double p) {
    size_t rank = static_cast<size_t>(std::ceil(p * sorted.size()));
    return sorted[std::max<size_t>(rank, 1) - 1];
}

struct Probe {
    Display* display;
    Picture picture;
    std::vector<char> before, scratch;
    std::vector<uint64_t> unkeyed;  // first pictures of changes that came with no key
    int64_t stillNanos;
    bool pressedOnce = false;

    // Called before every press: polls until the picture has stood still for stillNanos,
    // noting the first picture of every change that ends a still spell (a title blink).
    void settle() {
        picture.grab();
        picture.keep(before);
        int64_t stillSince = nowNanos(), next = stillSince;
        while (nowNanos() - stillSince < stillNanos) {
            sleepUntil(next += pollNanos);
            picture.grab();
            if (picture.differs(before)) {
                if (nowNanos() - stillSince >= stillNanos / 2) noteUnkeyed();
                picture.keep(before);
                stillSince = nowNanos();
            }
        }
    }

    // Called by settle and stillFor when a still picture changed with no key: remembers the
    // new picture (once a key was pressed: before, the target may still be starting).
    void noteUnkeyed() {
        if (!pressedOnce) return;
        const uint64_t d = picture.digest();
        if (std::find(unkeyed.begin(), unkeyed.end(), d) == unkeyed.end()) unkeyed.push_back(d);
    }

    // Called by the main loop: polls for the random phase; false if the picture moved meanwhile.
    bool stillFor(int64_t nanos) {
        const int64_t end = nowNanos() + nanos;
        for (int64_t next = nowNanos(); next + pollNanos < end;) {
            sleepUntil(next += pollNanos);
            picture.grab();
            if (picture.differs(before)) {
                noteUnkeyed();
                return false;
            }
        }
        sleepUntil(end);
        return true;
    }

    // Called by the main loop after a change: whether the picture still moves 100 ms on.
    bool keepsMoving() {
        sleepUntil(nowNanos() + motionNanos);
        picture.grab();
        picture.keep(scratch);
        for (int64_t end = nowNanos() + motionNanos, next = nowNanos(); nowNanos() < end;) {
            sleepUntil(next += pollNanos);
            picture.grab();
            if (picture.differs(scratch)) return true;
        }
        return false;
    }
};
}  // namespace

int main(int argc, char** argv) {
    int width = 0, height = 0;
    if (argc < 4 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr,
                     "usage: %s WIDTHxHEIGHT KEY PRESSES [--still MS] [--moves] [--samples FILE]\n",
                     argv[0]);
        return 2;
    }
    const char* keyName = argv[2];
    const int presses = std::atoi(argv[3]);
    int64_t stillNanos = 50000000;
    bool moves = false;
    const char* samplesFile = nullptr;
    for (int i = 4; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--still" && i + 1 < argc) stillNanos = std::atoll(argv[++i]) * 1000000;
        if (a == "--moves") moves = true;
        if (a == "--samples" && i + 1 < argc) samplesFile = argv[++i];
    }

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: no X display\n", argv[0]);
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    int event, error, major, minor;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor) ||
        !XShmQueryExtension(display)) {
        std::fprintf(stderr, "%s: the display lacks XTest or MIT-SHM\n", argv[0]);
        return 2;
    }
    const KeyCode key = XKeysymToKeycode(display, XStringToKeysym(keyName));
    if (!key) {
        std::fprintf(stderr, "%s: no key %s\n", argv[0], keyName);
        return 2;
    }

    Window window = 0;
    for (const int64_t start = nowNanos(); !window && nowNanos() - start < windowWaitNanos;) {
        window = findWindow(display, DefaultRootWindow(display), width, height);
        if (!window) sleepUntil(nowNanos() + 50000000);
    }
    Probe probe{display, {}, {}, {}, {}, stillNanos};
    if (!window || !probe.picture.open(display, window, width, height)) {
        std::fprintf(stderr, "%s: no %dx%d window to watch\n", argv[0], width, height);
        return 1;
    }
    // Without a window manager a window gets keys only once it has the focus.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);

    std::mt19937_64 random(nowNanos());
    std::uniform_int_distribution<int64_t> phase(0, 2 * periodNanos - 1);
    std::vector<double> samples;
    int discarded = 0;
    const int64_t pollStart = nowNanos();
    const long grabsAtStart = probe.picture.grabs();
    while (static_cast<int>(samples.size()) < presses && discarded <= maxDiscards) {
        probe.settle();
        if (!probe.stillFor(phase(random))) {
            ++discarded;
            std::fprintf(stderr, "discarded: the picture changed before the press\n");
            continue;
        }
        probe.picture.grab();
        probe.picture.keep(probe.before);
        XTestFakeKeyEvent(display, key, True, CurrentTime);
        XFlush(display);
        const int64_t pressed = nowNanos();
        probe.pressedOnce = true;
        int64_t changed = -1;
        for (int64_t next = pressed; nowNanos() - pressed < noChangeNanos;) {
            sleepUntil(next += pollNanos);
            probe.picture.grab();
            if (probe.picture.differs(probe.before)) {
                changed = nowNanos();
                break;
            }
        }
        XTestFakeKeyEvent(display, key, False, CurrentTime);
        XFlush(display);
        const char* why = nullptr;
        if (changed < 0) {
            why = "nothing changed within a second";
        } else {
            const uint64_t first = probe.picture.digest();
            if (std::find(probe.unkeyed.begin(), probe.unkeyed.end(), first) != probe.unkeyed.end())
                why = "the change was one the window also shows with no key";
            else if (moves && !probe.keepsMoving())
                why = "the picture stood still after the change";
        }
        if (why) {
            ++discarded;
            std::fprintf(stderr, "discarded: %s\n", why);
            continue;
        }
        samples.push_back((changed - pressed) / 1e6);
    }
    const double seconds = (nowNanos() - pollStart) / 1e9;
    const double pollHz = (probe.picture.grabs() - grabsAtStart) / seconds;
    XCloseDisplay(display);
    if (samples.empty()) {
        std::fprintf(stderr, "%s: no sample\n", argv[0]);
        return 1;
    }

    if (samplesFile) {
        if (FILE* out = std::fopen(samplesFile, "w")) {
            for (double s : samples) std::fprintf(out, "%.3f\n", s);
            std::fclose(out);
        }
    }
    std::vector<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%zu %.1f %.1f %.1f %d %.0f\n", sorted.size(), percentile(sorted, 0.5),
                percentile(sorted, 0.9), percentile(sorted, 0.99), discarded, pollHz);
    return static_cast<int>(samples.size()) < presses ? 1 : 0;
}
