// score.h -- the score line at the top-left of every frame
#pragma once

// Called by the frame loop in every frame, after the title: "SCORE: " and nine digits,
// drawn last so nothing covers them.
void drawScore();

constexpr int scoreTextColor = 15;  // palette index of the score text
constexpr int scoreDigitsX = 56;    // x of the first digit
constexpr int scoreDigitPitch = 10; // digits stand 10 pixels apart, 8 wide
