// signals.cpp -- the quit signals noted for the next look, and what goes when the process ends at once
#include "system/signals.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
// Written by a signal handler, read at every look.
volatile std::sig_atomic_t asked = 0;

// Fixed slots, so that a signal handler can read them without touching the heap. A
// leftover's slot is claimed by one thread (the game's, or the screenshot writer) at a time:
// free, being written, or holding its path.
constexpr int leftoverSlots = 8, childSlots = 4;
enum : int { slotFree, slotWriting, slotHeld };
char leftovers[leftoverSlots][4096];
std::atomic<int> leftoverState[leftoverSlots];
std::atomic<long> children[childSlots];
void (*saveAtOnce)() = nullptr;
std::atomic<bool> ending{false};

#ifndef _WIN32
constexpr int quitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
#endif

void onQuitSignal(int signal) {
    if (asked) endAtOnce(128 + signal);  // a second ask while quitting: at once
    asked = 128 + signal;
}
}  // namespace

void catchQuitSignals() {
#ifndef _WIN32
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : quitSignals) sigaddset(&action.sa_mask, signal);
    // No SA_RESTART: a write or a wait that blocks returns, and the program looks.
    for (int signal : quitSignals) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#else
    std::signal(SIGINT, onQuitSignal);
    std::signal(SIGTERM, onQuitSignal);
#endif
}

void leaveQuitSignalsToOtherThreads() {
#ifndef _WIN32
    sigset_t quit;
    sigemptyset(&quit);
    for (int signal : quitSignals) sigaddset(&quit, signal);
    pthread_sigmask(SIG_BLOCK, &quit, nullptr);
#endif
}

void askToQuit(int exitCode) {
    if (!asked) asked = exitCode;
}

int quitAsked() { return asked; }

void noteLeftover(const char* path) {
    for (int i = 0; i < leftoverSlots; ++i) {
        int expected = slotFree;
        if (!leftoverState[i].compare_exchange_strong(expected, slotWriting)) continue;
        std::snprintf(leftovers[i], sizeof leftovers[i], "%s", path);
        leftoverState[i] = slotHeld;
        return;
    }
}

void forgetLeftover(const char* path) {
    for (int i = 0; i < leftoverSlots; ++i) {
        int held = slotHeld;
        if (leftoverState[i] == slotHeld && std::strcmp(leftovers[i], path) == 0)
            leftoverState[i].compare_exchange_strong(held, slotFree);
    }
}

void noteChild(long pid) {
    for (std::atomic<long>& slot : children) {
        long empty = 0;
        if (slot.compare_exchange_strong(empty, pid)) return;
    }
}

void forgetChild(long pid) {
    for (std::atomic<long>& slot : children) {
        long mine = pid;
        slot.compare_exchange_strong(mine, 0);
    }
}

void onEndingAtOnce(void (*save)()) { saveAtOnce = save; }

void endAtOnce(int code) {
    if (ending.exchange(true)) {
        // Another thread is ending the process already.
        for (;;) {
#ifndef _WIN32
            pause();
#endif
        }
    }
    if (saveAtOnce) saveAtOnce();
    for (int i = 0; i < leftoverSlots; ++i)
        if (leftoverState[i] == slotHeld) ::unlink(leftovers[i]);
#ifndef _WIN32
    for (std::atomic<long>& slot : children) {
        const pid_t pid = static_cast<pid_t>(slot.load());
        if (pid <= 0) continue;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
#endif
    ::_exit(code);
}
