// scroll.cpp -- the level scrolls one map row every sixth playing frame and ends at row 14
#include "state/game_state.h"
#include "state/level.h"
#include "world/world.h"

namespace {
constexpr int32_t framesPerStep = 5;  // a step when stepTick passes this
constexpr int32_t lastTopRow = 14;    // the level ends when the view reaches this row
}  // namespace

void advanceScroll() {
    if (game.gameMode == Playing) game.stepTick += 1;
    if (game.stepTick > framesPerStep) {
        game.scrollY -= cellSize;
        game.topRow = rowOfScroll(game.scrollY);
        game.stepTick = 0;
    }
    if (game.topRow == lastTopRow && game.gameMode == Playing) game.gameMode = Title;
}
