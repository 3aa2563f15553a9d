// frame.h -- the frame spine: start-up, the order of work in a frame, what a frame asks of the
// machine passed on, shutdown
//
// The spine puts the game's steps in their order and hands the machine what the game asks
// for; it may include the game's folders, the platform, the configuration, the overlay and
// system/. Nothing of the game or the platform includes it.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "state/cues.h"

// The machine's request for the game's frame: its size and the band a line takes.
ScreenRequest frameScreen();

// Start-up in order: the machine (library and window), then startSession. Returns 0 when
// the frame loop may run, otherwise the exit code (1), after a one-line message.
int startUp(const ScreenRequest& request = frameScreen());

// The part of start-up after the machine is up: backBuffer, scroll start values,
// resetGame, initSession, and what they asked for (the palette, the music) passed on.
// Returns 0 or the exit code, as startUp.
int startSession();

// Steps 1 to 6 of a frame: the picture drawn into backBuffer as the world moves, the
// scroll advanced; the keys are the frame's last step (handleKeys).
void drawFrame();

// One whole frame without a window's pacing: drawn, shown, then the keys (GameKey bits)
// handled, with what it asked for passed on. True when the program is to quit (Escape).
bool runFrame(uint32_t keys);

// What the game asked of the machine since the last call, in order: the palette shown, the
// sound cues told to the listener and played (the shots and blasts only when EFFECTS).
void passRequests(bool effects = true);

// Hears every cue the game starts (a trace, a video's sound), before the machine plays it;
// null for none.
void listenToCues(void (*heard)(Cue cue));

// The palette the frame is shown in, or null before the assets are loaded.
const RGB* shownPalette();

// Called once after the loop: destroys the pictures, the backBuffer and the sounds.
void shutdownSession();
