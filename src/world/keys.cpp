// keys.cpp -- the seven keys, each tested once per frame in a fixed order
#include "state/keys.h"

#include "state/cues.h"
#include "state/game_state.h"
#include "world/world.h"

namespace {
constexpr int32_t fireDelay = 9;      // a launch when fireTick passes this
constexpr int32_t lastShotSlot = 20;  // launches cycle through slots 1..20
constexpr int32_t steeredFrames = 3;  // the steering keys wrap shipFrame above this
constexpr int32_t climbStep = 4;      // pixels per frame for Up and Down
constexpr int32_t lowestShipY = 290;  // Down only while the ship is above this

// Left and Right: set the glide and, in a frame where the scroll just stepped, the ship frame.
void steer(int32_t direction) {
    game.glideDir = direction;
    game.stepTick += 1;
    if (game.stepTick == 1) {
        game.shipFrame += 1;
        game.stepTick = 0;
    }
    if (game.shipFrame > steeredFrames) game.shipFrame = 1;
}

void fire() {
    game.fireTick += 1;
    if (game.fireTick > fireDelay) {
        game.playerShots[game.shotCursor].state = Flying;
        game.shotCursor += 1;
        if (game.shotCursor > lastShotSlot) game.shotCursor = 1;
        playCue(Cue::Shot);
        game.fireTick = 0;
    }
}
}  // namespace

bool handleKeys(uint32_t held) {
    auto down = [held](GameKey k) { return (held & k) != 0; };
    if (down(HeldEsc)) return true;
    if (down(HeldLeft) && game.gameMode == Playing) steer(glideLeft);
    if (down(HeldRight) && game.gameMode == Playing) steer(glideRight);
    if (down(HeldUp) && game.gameMode == Playing) game.shipOffsetY -= climbStep;
    if (down(HeldDown) && game.shipY < lowestShipY) game.shipOffsetY += climbStep;
    if (down(HeldSpace) && game.gameMode == Playing) fire();
    if (down(HeldS) && game.gameMode == Title) {
        resetGame();
        game.gameMode = Playing;
    }
    return false;
}
