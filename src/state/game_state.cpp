// game_state.cpp -- start-up defaults and the new-game reset
#include "state/game_state.h"

#include <cmath>

#include "state/assets.h"
#include "state/fields.h"
#include "state/fnv.h"
#include "state/cues.h"
#include "state/level.h"

GameState game;

namespace {
constexpr int32_t newGameScrollY = 2699;

void resetExplosion(Explosion& e) {
    e.frame = 1;
    e.x = 0;
    e.y = 0;
    e.active = explosionIdle;
    e.tick = 0;
}
}  // namespace

uint64_t gameStateDigest(const GameState& state) {
    uint64_t digest = stateDigestBasis;
    auto add = [&digest](int32_t value) {
        const uint32_t field = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            digest = (digest ^ (field >> shift & 0xff)) * fnvPrime;
    };
    visitStateIntegers(gameStateFields, gameStateFieldCount,
                       reinterpret_cast<const unsigned char*>(&state), add);
    return digest;
}

int32_t rowOfScroll(int32_t scrollY) {
    // The default floating-point rounding mode rounds halfway values to even.
    return static_cast<int32_t>(std::nearbyint(scrollY / 10.0));
}

bool initSession() {
    game.titleBlinkTick = 0;
    game.shotCursor = 1;
    game.stepTick = 0;
    game.glideDir = glideRight;
    game.shipFrame = 1;
    game.shipOffsetX = 0;
    game.shipOffsetY = 0;
    game.gameMode = Title;
    if (!loadAssets()) return false;
    playCue(Cue::Music);
    loadLevel(1);
    return true;
}

void resetGame() {
    game.shotCursor = 1;
    game.fireTick = 0;
    game.stepTick = 0;
    game.glideDir = glideLeft;
    game.shipFrame = 1;
    game.shipFrameTick = 0;
    game.shipOffsetX = 0;
    game.shipOffsetY = 0;

    // The slot loops count in backdropScroll itself, which is why every reset
    // leaves the backdrop at offset 51.
    for (game.backdropScroll = 0; game.backdropScroll < playerShotCount; ++game.backdropScroll) {
        PlayerShot& s = game.playerShots[game.backdropScroll];
        s.state = Ready;
        s.x = 0;
        s.y = 0;
    }
    for (game.backdropScroll = 0; game.backdropScroll < diverCount; ++game.backdropScroll) {
        Diver& d = game.divers[game.backdropScroll];
        d.phase = Homing;
        d.offsetX = 0;
        d.offsetY = 0;
        d.state = Alive;
        resetExplosion(d.explosion);
        d.tick = 0;
    }
    for (game.backdropScroll = 0; game.backdropScroll < gunnerCount; ++game.backdropScroll) {
        Gunner& g = game.gunners[game.backdropScroll];
        g.offsetX = 0;
        g.state = Alive;
        resetExplosion(g.explosion);
        g.tick = 0;
        g.frame = 1;
        g.frameTick = 0;
        for (GunnerShot& s : g.shots) {
            s.state = Ready;
            s.x = 0;
            s.y = 0;
        }
    }

    if (game.gameMode == Title) {
        for (int32_t& digit : game.scoreDigits) digit = 0;
        game.scrollY = newGameScrollY;
        game.topRow = rowOfScroll(newGameScrollY);
        loadLevel(1);
    }
}
