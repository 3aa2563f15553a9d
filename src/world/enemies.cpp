// enemies.cpp -- divers home in and dive, gunners home in and drop shots; both explode when hit
#include "state/cues.h"
#include "state/game_state.h"
#include "state/level.h"
#include "world/sprites.h"
#include "world/world.h"

namespace {
constexpr int32_t homingAfterTicks = 3;   // homing from the fourth step on
constexpr int32_t diverHomingStep = 5;
constexpr int32_t gunnerHomingStep = 2;
constexpr int32_t diveStep = 2;           // diving diver sinks this far per step
constexpr int32_t gunnerShotFall = 5;
constexpr int32_t gunnerShotLandsBelow = 300;
constexpr int32_t shotBesideGunner = 20;
constexpr int32_t stepsPerGunnerFrame = 5;
constexpr int32_t gunnerFrames = 4;

bool strictlyInside(int32_t px, int32_t py, int32_t boxX, int32_t boxY, int32_t size) {
    return boxX < px && px < boxX + size && boxY < py && py < boxY + size;
}

// An enemy or a gunner shot at (px, py) touching the ship ends a game in progress.
void contactTest(int32_t px, int32_t py) {
    if (strictlyInside(px, py, game.shipX, game.shipY, shipHitSize) && game.gameMode == Playing) {
        game.gameMode = Title;
    }
}

// Every flying player shot inside the enemy's box destroys it, each one again.
void hitTest(int32_t x, int32_t y, int32_t& state, Explosion& explosion) {
    for (PlayerShot& shot : game.playerShots) {
        if (shot.state == Flying && strictlyInside(shot.x, shot.y, x, y, enemyHitSize)) {
            startExplosion(explosion, x, y);
            state = Destroyed;
            playCue(Cue::Blast);
            shot.state = Ready;
        }
    }
}

int32_t homeTowards(int32_t from, int32_t target, int32_t step) {
    if (from < target) return step;
    if (from > target) return -step;
    return 0;
}
}  // namespace

void updateDiver(int32_t slot, int32_t row, int32_t column) {
    Diver& d = game.divers[slot];
    const int32_t cellX = column * cellSize;
    const int32_t cellY = row * cellSize - game.scrollY;
    d.x = cellX + d.offsetX;
    d.y = cellY + d.offsetY;
    if (d.state == Destroyed && d.explosion.active == explosionRunning) {
        advanceExplosion(d.explosion);
    }
    if (d.state != Alive) return;

    hitTest(d.x, d.y, d.state, d.explosion);
    d.tick += 1;
    if (d.tick > homingAfterTicks && d.phase == Homing) {
        d.offsetX += homeTowards(d.x, game.shipX, diverHomingStep);
    }
    if (d.x == game.shipX) d.phase = Diving;
    if (d.phase == Diving) d.offsetY += diveStep;
    contactTest(d.x, d.y);
    drawSprite(diverSprite, cellX + d.offsetX, cellY + d.offsetY);
}

void updateGunner(int32_t slot, int32_t row, int32_t column) {
    Gunner& g = game.gunners[slot];
    const int32_t cellX = column * cellSize;
    const int32_t cellY = row * cellSize - game.scrollY;
    g.x = cellX + g.offsetX;
    g.y = cellY;
    if (g.state == Destroyed && g.explosion.active == explosionRunning) {
        advanceExplosion(g.explosion);
    }
    if (g.state != Alive) return;

    hitTest(g.x, g.y, g.state, g.explosion);
    g.tick += 1;
    if (g.tick > homingAfterTicks) g.offsetX += homeTowards(g.x, game.shipX, gunnerHomingStep);
    // A gunner level with the ship drops the shot at the player's launch index.
    if (g.x == game.shipX) g.shots[game.shotCursor].state = Flying;
    contactTest(g.x, g.y);

    g.frameTick += 1;
    if (g.frameTick > stepsPerGunnerFrame) {
        g.frame += 1;
        g.frameTick = 0;
    }
    if (g.frame > gunnerFrames) g.frame = 1;

    for (GunnerShot& shot : g.shots) {
        if (shot.state == Flying) {
            shot.y += gunnerShotFall;
            if (shot.y > gunnerShotLandsBelow) shot.state = Ready;
            contactTest(shot.x, shot.y);
            drawSprite(shotSprite, shot.x, shot.y);
        } else if (shot.state == Ready) {
            shot.x = cellX + g.offsetX + shotBesideGunner;
            shot.y = cellY;
        }
    }
    drawGunner(g.frame, cellX + g.offsetX, cellY);
}
