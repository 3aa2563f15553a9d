// quit.h -- ending the game the normal way when the machine asks: a signal, or a failure of
// the window or the display under a running game
//
// The frame loop and the pause look here once a frame; the game then quits as after
// Escape (the recording closed with its closing line, the desktop given back), and main
// ends the process with the exit code asked for.
#pragma once

// Called by main first, and by the window platform again once the library is up (it
// installs handlers of its own): SIGINT, SIGTERM, SIGHUP and SIGQUIT only note the
// signal, so that the game quits at its next frame with exit code 128 + the signal's
// number; a second one while quitting ends the process at once. SIGPIPE is ignored, so
// that a write to a closed pipe fails as a write instead of killing the game.
void catchQuitSignals();

// Asks the game to quit with this exit code (at least 1); the first ask's code is kept.
void askToQuit(int exitCode);

// 0 while nothing has asked; otherwise the exit code asked for.
int quitAsked();
