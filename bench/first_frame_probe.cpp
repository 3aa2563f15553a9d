// first_frame_probe.cpp -- how long the game takes from its process start to its first picture
//
//   driftwing-first-frame RESULT_FILE COMMAND [ARGS...]
//
// Starts COMMAND (the game, possibly under /usr/bin/time), then watches the X display
// for the game's 320 x 300 window and its first picture: the moment the window holds
// a picture (a fair share of lit pixels in several colours, not a plain fill). Writes "WINDOW_MS PICTURE_MS WINDOW_ID" to
// RESULT_FILE, both times counted from just before the process was started, then
// waits for the command to end (whoever runs this presses Escape) and exits with
// its status; 124 if no picture came within ten seconds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace {
constexpr unsigned gameWidth = 320, gameHeight = 300;
constexpr double pictureShare = 0.05;  // lit share of the window that counts as a picture
constexpr int pictureColours = 4;      // and at least this many colours: not a plain fill
constexpr int64_t giveUpMicros = 10000000;

int64_t nowMicros() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// The mapped 320 x 300 window among the root's children (and theirs), or 0.
Window findGameWindow(Display* display, Window parent, int depth = 0) {
    Window root, up, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, children[i], &a)) continue;
        if (a.map_state == IsViewable && static_cast<unsigned>(a.width) == gameWidth &&
            static_cast<unsigned>(a.height) == gameHeight) {
            found = children[i];
        } else if (depth < 2) {
            found = findGameWindow(display, children[i], depth + 1);
        }
    }
    if (children) XFree(children);
    return found;
}

bool showsPicture(Display* display, Window window) {
    XImage* image = XGetImage(display, window, 0, 0, gameWidth, gameHeight, AllPlanes, ZPixmap);
    if (!image) return false;
    unsigned lit = 0;
    unsigned long colours[pictureColours];
    int colourCount = 0;
    for (unsigned y = 0; y < gameHeight; ++y) {
        for (unsigned x = 0; x < gameWidth; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            if (pixel != 0) ++lit;
            bool known = false;
            for (int i = 0; i < colourCount; ++i) known = known || colours[i] == pixel;
            if (!known && colourCount < pictureColours) colours[colourCount++] = pixel;
        }
    }
    XDestroyImage(image);
    return lit > pictureShare * gameWidth * gameHeight && colourCount == pictureColours;
}

int exitStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RESULT_FILE COMMAND [ARGS...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: no X display\n", argv[0]);
        return 2;
    }
    XSetErrorHandler(ignoreErrors);

    const int64_t start = nowMicros();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        _exit(127);
    }

    int64_t windowAt = -1, pictureAt = -1;
    Window window = 0;
    int status = 0;
    while (pictureAt < 0 && nowMicros() - start < giveUpMicros) {
        if (waitpid(child, &status, WNOHANG) == child) return exitStatus(status) ? exitStatus(status) : 1;
        if (!window) {
            window = findGameWindow(display, DefaultRootWindow(display));
            if (window) windowAt = nowMicros() - start;
        }
        if (window && showsPicture(display, window)) pictureAt = nowMicros() - start;
        if (pictureAt < 0) usleep(500);
    }
    if (pictureAt < 0) {
        kill(child, SIGTERM);
        waitpid(child, &status, 0);
        return 124;
    }

    const std::string temporary = std::string(argv[1]) + ".part";
    if (FILE* out = std::fopen(temporary.c_str(), "w")) {
        std::fprintf(out, "%.1f %.1f 0x%lx\n", windowAt / 1000.0, pictureAt / 1000.0, window);
        std::fclose(out);
        std::rename(temporary.c_str(), argv[1]);
    }
    XCloseDisplay(display);
    waitpid(child, &status, 0);
    return exitStatus(status);
}
