// signals.h -- how the game and the replay runner end when the machine asks: one policy
//
// SIGINT, SIGTERM, SIGHUP and SIGQUIT are noted, and the program quits the normal way at its
// next look (a frame, a write, a wait): a recording gets its closing line, a video's part
// files go, a child process is ended and waited for; the exit code is then 128 + the
// signal's number. A second one while quitting ends the process at once, after removing the
// part files and ending the children noted below. SIGPIPE and SIGXFSZ are ignored, so that a
// write to a closed pipe or past a file-size limit fails as a write (EPIPE, EFBIG) and is
// handled as a full disk is.
#pragma once

// Called by main first, and by a platform again once its library is up (Allegro puts
// handlers of its own in their place).
void catchQuitSignals();

// Called first by a thread of the program's own beside the main one (the screenshot
// writer): the quit signals go to the other threads, whose waits they cut short.
void leaveQuitSignalsToOtherThreads();

// Asks the program to quit with this exit code (at least 1); the first ask's code is kept.
void askToQuit(int exitCode);

// 0 while nothing has asked; otherwise the exit code asked for.
int quitAsked();

// Part files and child processes to remove and end should the process end at once. The
// file service and the child service note and forget them; at most a few at a time.
void noteLeftover(const char* path);
void forgetLeftover(const char* path);
void noteChild(long pid);
void forgetChild(long pid);

// What to save when the process must end at once (the display lost under the game); null
// for nothing. Called by main.
void onEndingAtOnce(void (*save)());

// Ends the process now with CODE, from any thread, without the exit handlers: the save
// given above, then the part files removed and the children ended. Called by a platform
// that has lost its display, and by a second quit signal.
[[noreturn]] void endAtOnce(int code);
