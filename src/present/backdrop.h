// backdrop.h -- the backdrop scrolling down behind a game
#pragma once

// Called in playing frames before the world pass: two copies of the 600-pixel
// picture, then the offset moves on by 3 and wraps to 0 above 600.
void drawBackdrop();
