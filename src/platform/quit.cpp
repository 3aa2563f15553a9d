// quit.cpp -- the signals that end the game, noted for the frame loop
#include "platform/quit.h"

#include <csignal>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {
// Written by a signal handler, read once a frame.
volatile std::sig_atomic_t asked = 0;

#ifndef _WIN32
constexpr int quitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void onQuitSignal(int signal) {
    if (asked) _exit(128 + signal);  // a second ask while quitting: at once
    asked = 128 + signal;
}
#endif
}  // namespace

void catchQuitSignals() {
#ifndef _WIN32
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : quitSignals) sigaddset(&action.sa_mask, signal);
    for (int signal : quitSignals) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
#else
    std::signal(SIGINT, [](int) { asked = 128 + SIGINT; });
    std::signal(SIGTERM, [](int) { asked = 128 + SIGTERM; });
#endif
}

void askToQuit(int exitCode) {
    if (!asked) asked = exitCode;
}

int quitAsked() { return asked; }
