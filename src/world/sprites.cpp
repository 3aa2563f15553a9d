// sprites.cpp -- the animation frames of ship, gunners and explosions, and running explosions
#include "world/sprites.h"

namespace {
constexpr int32_t callsPerExplosionFrame = 3;  // the frame advances when tick passes this
}

void drawShip(int32_t frame, int32_t x, int32_t y) {
    for (int32_t f = 1; f <= 4; ++f) {
        if (frame == f) drawSprite(shipRegions[f - 1], x, y);
    }
}

void drawGunner(int32_t frame, int32_t x, int32_t y) {
    for (int32_t f = 1; f <= 4; ++f) {
        if (frame == f) drawSprite(gunnerRegions[f - 1], x, y);
    }
}

void drawExplosion(int32_t frame, int32_t x, int32_t y) {
    for (int32_t f = 1; f <= explosionFrames; ++f) {
        if (frame == f) {
            drawSprite({explosionSourceX[f - 1], explosionSourceY, explosionSize, explosionSize},
                       x, y);
        }
    }
}

void startExplosion(Explosion& e, int32_t x, int32_t y) {
    e.frame = 1;
    e.x = x;
    e.y = y;
    e.active = explosionRunning;
    e.tick = 0;
}

void advanceExplosion(Explosion& e) {
    e.tick += 1;
    if (e.tick > callsPerExplosionFrame) {
        e.frame += 1;
        e.tick = 0;
    }
    if (e.frame > explosionFrames) e.active = explosionIdle;
    drawExplosion(e.frame, e.x, e.y);
}
