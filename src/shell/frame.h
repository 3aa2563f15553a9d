// frame.h -- the frame spine: start-up, one frame of the loop, the loop, shutdown
//
// The spine puts the game's steps in their order and hands them the platform's keys; it
// may include the game's folders (state, world, present) and the platform's table, and
// nothing of the game's rules or the platform includes it.
#pragma once

#include <cstdint>

// Start-up in order: library and window (through the platform), backBuffer,
// scroll start values, resetGame, initSession. Returns 0 when the frame loop may
// run, otherwise the exit code (1), after a one-line message on standard error.
int startUp();

// The part of start-up after the library and window are up (from the backBuffer on);
// returns 0 or the exit code, as startUp.
int startSession();

// Steps 1 to 6 of a frame: the picture drawn into backBuffer as the world moves, the
// scroll advanced; the keys are the frame's last step (handleKeys).
void drawFrame();

// One pass of the frame loop; true when the program is to quit (Escape).
bool runFrame();

// Runs frames until Escape, the window's close button or a quit asked for (shell/quit.h);
// between frames the platform sees to the window (fullscreen, pause), which no frame of
// the game notices.
void runFrameLoop();

// Called once after the loop: destroys the pictures, the backBuffer and the sounds,
// then removes the sound system.
void shutdownAssets();
