// fields.cpp -- GameState's fields listed once, in the order they lie in memory
#include "state/fields.h"

#include <iterator>

namespace {
#define INTEGER(record, field) \
    { #field, offsetof(record, field), 0, 0, nullptr, 0 }
#define INTEGERS(record, field, count) \
    { #field, offsetof(record, field), count, sizeof(int32_t), nullptr, 0 }
#define RECORD(record, field, type) \
    { #field, offsetof(record, field), 0, 0, type##Fields, std::size(type##Fields) }
#define TABLE(record, field, type, count) \
    { #field, offsetof(record, field), count, sizeof(type), type##Fields, std::size(type##Fields) }

const StateField ExplosionFields[] = {
    INTEGER(Explosion, frame), INTEGER(Explosion, x),    INTEGER(Explosion, y),
    INTEGER(Explosion, active), INTEGER(Explosion, tick),
};
const StateField PlayerShotFields[] = {
    INTEGER(PlayerShot, state), INTEGER(PlayerShot, x), INTEGER(PlayerShot, y)};
const StateField GunnerShotFields[] = {
    INTEGER(GunnerShot, state), INTEGER(GunnerShot, x), INTEGER(GunnerShot, y)};
const StateField DiverFields[] = {
    INTEGER(Diver, phase), INTEGER(Diver, tick), INTEGER(Diver, offsetX), INTEGER(Diver, offsetY),
    INTEGER(Diver, x),     INTEGER(Diver, y),    INTEGER(Diver, state),
    RECORD(Diver, explosion, Explosion),
};
const StateField GunnerFields[] = {
    INTEGER(Gunner, tick),  INTEGER(Gunner, frame), INTEGER(Gunner, frameTick),
    INTEGER(Gunner, offsetX), INTEGER(Gunner, x),   INTEGER(Gunner, y),
    INTEGER(Gunner, state), RECORD(Gunner, explosion, Explosion),
    TABLE(Gunner, shots, GunnerShot, gunnerShotCount),
};
}  // namespace

const StateField gameStateFields[] = {
    INTEGER(GameState, gameMode),
    INTEGER(GameState, stepTick),
    INTEGER(GameState, titleBlinkTick),
    INTEGER(GameState, backdropScroll),
    INTEGER(GameState, scrollY),
    INTEGER(GameState, topRow),
    INTEGER(GameState, shipOffsetX),
    INTEGER(GameState, shipOffsetY),
    INTEGER(GameState, shipX),
    INTEGER(GameState, shipY),
    INTEGER(GameState, glideDir),
    INTEGER(GameState, shipFrame),
    INTEGER(GameState, shipFrameTick),
    INTEGER(GameState, fireTick),
    INTEGER(GameState, shotCursor),
    TABLE(GameState, playerShots, PlayerShot, playerShotCount),
    TABLE(GameState, divers, Diver, diverCount),
    TABLE(GameState, gunners, Gunner, gunnerCount),
    INTEGERS(GameState, scoreDigits, scoreDigitCount),
};
const int gameStateFieldCount = static_cast<int>(std::size(gameStateFields));
