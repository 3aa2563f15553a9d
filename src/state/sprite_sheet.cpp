// sprite_sheet.cpp -- copying a region of the sprite sheet into the frame
#include "state/sprite_sheet.h"

#include <allegro.h>

#include "state/assets.h"

void drawSprite(const SpriteRegion& r, int32_t x, int32_t y) {
    masked_blit(spriteSheet, backBuffer, r.x, r.y, x, y, r.width, r.height);
}
