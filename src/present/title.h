// title.h -- the blinking title screen and the banner
//
// present/ draws what is not the world (title, banner, score line, backdrop) into
// backBuffer from the game state; it includes state/ only, and only the spine calls it.
#pragma once

// Called in every frame: the banner strip, masked, at the top-right.
void drawBanner();

// Called in every frame after the banner: advances the blink counter, and on the
// title screen shows frame 1 (counter below 300) or frame 2 (301..499).
void drawTitle();

constexpr int titleBlinkCycleEnd = 500;  // the counter wraps to 0 above this
constexpr int titleFrameSwitch = 300;    // blank at 300 and 500, frame 2 in between
