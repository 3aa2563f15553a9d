// title.cpp -- title frames from the title sheet, and the banner from the sprite sheet
#include "present/title.h"

#include <allegro.h>

#include "state/assets.h"
#include "state/game_state.h"
#include "state/sprite_sheet.h"

namespace {
constexpr int bannerX = 200;
constexpr int titleFrameWidth = 500;   // the copy is clipped to the 320 x 300 window
constexpr int titleFrameHeight = 400;
constexpr int titleFrame2X = 320;      // frame 2 stands right of frame 1 in the sheet
}  // namespace

void drawBanner() {
    drawSprite(bannerRegion, bannerX, 0);
}

void drawTitle() {
    game.titleBlinkTick += 1;
    if (game.titleBlinkTick > titleBlinkCycleEnd) game.titleBlinkTick = 0;
    if (game.gameMode != Title) return;
    if (game.titleBlinkTick < titleFrameSwitch) {
        blit(titleSheet, backBuffer, 0, 0, 0, 0, titleFrameWidth, titleFrameHeight);
    }
    if (game.titleBlinkTick > titleFrameSwitch && game.titleBlinkTick < titleBlinkCycleEnd) {
        blit(titleSheet, backBuffer, titleFrame2X, 0, 0, 0, titleFrameWidth, titleFrameHeight);
    }
}
