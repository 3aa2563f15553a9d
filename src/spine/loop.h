// loop.h -- the game in a window (or a page): frame after frame at 60 a second, and between
// frames what the player asks of the window: pause, fullscreen, loudness, screenshots
#pragma once

#include <allegro.h>

#include <cstdint>

#include "config/settings.h"
#include "overlay/overlay.h"
#include "spine/input.h"

// Called by main once the machine is open, before the session starts: the display and
// loudness the player chose (remembered when they change), and the overlay's pictures.
// False after a line on standard error when a picture cannot be made.
bool startLoop(const DisplayChoice& display, const SoundChoice& sound);

// Shows FRAME (backBuffer, or a picture made from it) with a line over it or in the band
// below it: the volume line for two seconds after a change of volume, else LINE (null:
// none). The picture shown is kept for screenshots and the pause.
void show(BITMAP* frame, const PlaybackLine* line = nullptr);

// Does what the player asked of the window in IN; with a game in progress, P or the window
// losing the keyboard pauses it until P again. True when the player quits (Escape while
// paused, the close button), a quit was asked, or the program's check below ends the loop.
bool windowActions(const FrameInput& in, bool gameInProgress);

// Called by a program that has more to do between frames than the window's actions (the
// page: its buttons, a link or a file dropped on it): CHECK runs with the window's actions,
// in a game, while it is paused and while a recording is watched; true from it ends the
// loop there, as the close button does. Null: none.
void checkBetweenFrames(bool (*check)());

// What a program adds to each frame of the loop; either may be null.
struct LoopHooks {
    void (*keysOfFrame)(uint32_t keys);  // the game keys the frame is about to handle
    void (*frameEnded)();                // after the frame's keys were handled
};

// Runs frames until Escape, the close button or a quit asked for.
void runLoop(const LoopHooks& hooks = {});
