// title.h -- the blinking title screen and the banner
#pragma once

// Called in every frame: the banner strip, masked, at the top-right.
void drawBanner();

// Called in every frame after the banner: advances the blink counter, and on the
// title screen shows frame 1 (counter below 300) or frame 2 (301..499).
void drawTitle();

constexpr int titleBlinkCycleEnd = 500;  // the counter wraps to 0 above this
constexpr int titleFrameSwitch = 300;    // blank at 300 and 500, frame 2 in between
