// frame.cpp -- start-up, the order of work in a frame, and shutdown
#include "shell/frame.h"

#include <cstdio>

#include "platform/platform.h"
#include "platform/quit.h"
#include "present/backdrop.h"
#include "present/score.h"
#include "present/title.h"
#include "state/assets.h"
#include "state/game_state.h"
#include "world/world.h"

int startUp() {
    if (!platformOpen()) return 1;
    return startSession();
}

int startSession() {
    backBuffer = create_bitmap_ex(8, frameWidth, frameHeight);
    if (!backBuffer) {
        platformLeaveGraphics();
        std::fprintf(stderr, "driftwing: cannot make a %d × %d picture\n", frameWidth, frameHeight);
        return 1;
    }
    clear_bitmap(backBuffer);
    game.scrollY = 0;
    game.topRow = 1;
    resetGame();
    if (!initSession()) {
        platformLeaveGraphics();
        std::fprintf(stderr, "driftwing: cannot load %s\n", failedAsset());
        destroy_bitmap(backBuffer);
        backBuffer = nullptr;
        return 1;
    }
    return 0;
}

bool runFrame() {
    clear_bitmap(backBuffer);
    if (game.gameMode == Playing) {
        drawBackdrop();
        updateWorld();
    }
    drawBanner();
    drawTitle();
    drawScore();
    advanceScroll();
    platformWaitRetrace();
    platformPresent(backBuffer);
    return handleKeys(platformPollKeys());
}

void runFrameLoop() {
    while (!runFrame() && !platformBetweenFrames(game.gameMode == Playing) && !quitAsked()) {
    }
}

void shutdownAssets() {
    releaseAssets();
    destroy_bitmap(backBuffer);
    backBuffer = nullptr;
    remove_sound();
}
