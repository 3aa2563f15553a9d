// sprites.h -- the ship, the two enemy kinds, the shot, the explosion and the name plate
#pragma once

#include <allegro.h>

namespace art {

// The player's fighter, nose up, in a size x size square (40 on the sheet). Frames 1 to 4
// rock it gently (level, bank left, level, bank right) with a flickering engine flame.
void drawShipSprite(BITMAP* dest, int x, int y, int size, int frame);

// A diver: a red dart pointing down, filling its 20 x 20 square.
void drawDiverSprite(BITMAP* dest, int x, int y, int size);

// A gunner: a domed saucer in the upper left of its 40 x 40 square, its cannon hanging
// where its shots drop from; frames 1 to 4 run its rim lights round.
void drawGunnerSprite(BITMAP* dest, int x, int y, int size, int frame);

// The plasma bolt shared by the player and the gunners, hugging the left of its square
// (a shot's corner is where it hits).
void drawShotSprite(BITMAP* dest, int x, int y);

// One of the sixteen explosion frames, drawn only inside columns left..right of its
// 62 x 62 square (neighbouring frames share sheet columns).
void drawExplosionFrame(BITMAP* dest, int x, int y, int frame, int left, int right);

// The 120-pixel name plate shown at the top right while playing.
void drawNamePlate(BITMAP* dest, int x, int y);

// The whole 1000 x 600 sprite sheet, every sprite in its region on transparent index 0.
BITMAP* makeSpriteSheet();

}  // namespace art
