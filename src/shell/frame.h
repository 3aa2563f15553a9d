// frame.h -- the program shell: start-up, one frame of the loop, the keys, the scroll, shutdown
#pragma once

#include <cstdint>

// The frame the game draws, whatever the window shows it at.
constexpr int frameWidth = 320, frameHeight = 300;

// Start-up in order: library and window (through the platform), backBuffer,
// scroll start values, resetGame, initSession. Returns 0 when the frame loop may
// run, otherwise the exit code (1), after a one-line message on standard error.
int startUp();

// The part of start-up after the library and window are up (from the backBuffer on);
// returns 0 or the exit code, as startUp.
int startSession();

// One pass of the frame loop; true when the program is to quit (Escape).
bool runFrame();

// Runs frames until Escape, the window's close button or a quit asked for (shell/quit.h);
// between frames the platform sees to the window (fullscreen, pause), which no frame of
// the game notices.
void runFrameLoop();

// Called by runFrame after the keyboard poll with the keys (GameKey bits) down in this
// frame; true when Escape is down, in which case no other key has been looked at.
bool handleKeys(uint32_t held);

// Called by runFrame once per frame after drawing: scroll pacing, scroll step, level end.
void advanceScroll();

// Called once after the loop: destroys the pictures, the backBuffer and the sounds,
// then removes the sound system.
void shutdownAssets();
