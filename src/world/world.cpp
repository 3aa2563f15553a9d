// world.cpp -- the scan of the visible map rows, and the ship with its shots
#include "world/world.h"

#include "state/game_state.h"
#include "state/level.h"
#include "world/sprites.h"

namespace {
constexpr int32_t scannedRows = 31;       // topRow..topRow+30; the last lies just below the screen
constexpr int32_t glideStep = 6;          // ship pixels per step
constexpr int32_t leftGlideLimit = 10;    // glides left only while shipX is above this
constexpr int32_t rightGlideLimit = 300;  // glides right only while shipX is below this
constexpr int32_t turnLeftAbove = 290;
constexpr int32_t turnRightBelow = 14;
constexpr int32_t stepsPerShipFrame = 5;  // frame advances when shipFrameTick passes this
constexpr int32_t shipFrames = 4;
constexpr int32_t shotRise = 5;           // flying player shot, pixels per step
constexpr int32_t shotLandsAbove = 5;     // a shot above this y returns to the ship
constexpr int32_t shotBesideShip = 20;    // ready shots wait this far right of the ship
}  // namespace

void updateWorld() {
    const int32_t firstRow = game.topRow;
    const int32_t lastRow = game.topRow + scannedRows - 1;
    for (int32_t row = firstRow; row <= lastRow; ++row) {
        for (int32_t column = 0; column <= levelColumns; ++column) {
            // The ship marker is looked up in screen rows, so the ship stays put on screen.
            if (levelMap[row - firstRow][column] == shipMarkerCode) updateShip(row, column);
            const int32_t code = levelMap[row][column];
            if (code >= firstDiverCode && code <= lastDiverCode) {
                updateDiver(code - firstDiverCode, row, column);
            }
            if (code >= firstGunnerCode && code <= lastGunnerCode) {
                updateGunner(code - firstGunnerCode, row, column);
            }
        }
    }
}

void updateShip(int32_t row, int32_t column) {
    const int32_t cellX = column * cellSize;
    const int32_t cellY = row * cellSize - game.scrollY;
    game.shipX = cellX + game.shipOffsetX;
    game.shipY = cellY + game.shipOffsetY;

    if (game.glideDir == glideLeft && game.shipX > leftGlideLimit) game.shipOffsetX -= glideStep;
    if (game.glideDir == glideRight && game.shipX < rightGlideLimit) game.shipOffsetX += glideStep;

    if (game.shipX > turnLeftAbove) game.glideDir = glideLeft;
    if (game.shipX < turnRightBelow) game.glideDir = glideRight;

    game.shipFrameTick += 1;
    if (game.shipFrameTick > stepsPerShipFrame) {
        game.shipFrame += 1;
        game.shipFrameTick = 0;
    }
    if (game.shipFrame > shipFrames) game.shipFrame = 1;

    const int32_t drawX = cellX + game.shipOffsetX;
    const int32_t drawY = cellY + game.shipOffsetY;
    for (PlayerShot& shot : game.playerShots) {
        if (shot.state == Flying) {
            shot.y -= shotRise;
            if (shot.y < shotLandsAbove) shot.state = Ready;
            drawSprite(shotSprite, shot.x, shot.y);
        } else if (shot.state == Ready) {
            shot.x = drawX + shotBesideShip;
            shot.y = drawY;
        }
    }
    drawShip(game.shipFrame, drawX, drawY);
}
