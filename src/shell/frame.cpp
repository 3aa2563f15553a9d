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

void drawFrame() {
    clear_bitmap(backBuffer);
    if (game.gameMode == Playing) {
        drawBackdrop();
        updateWorld();
    }
    drawBanner();
    drawTitle();
    drawScore();
    advanceScroll();
}

bool runFrame() {
    drawFrame();
    platformWaitRetrace();
    platformPresent(backBuffer);
    return handleKeys(platformPollKeys());
}

void runFrameLoop() {
    // The frames of runFrame one after the other, with each wait moved from before a
    // frame's picture to before its keys: the keys are read just after the deadline and
    // the picture they lead to is shown at once, a whole frame sooner than the wait before
    // it would. The game's steps and states are the same, in the same order.
    drawFrame();
    platformWaitRetrace();
    platformPresent(backBuffer);
    while (true) {
        platformWaitRetrace();
        if (handleKeys(platformPollKeys()) || platformBetweenFrames(game.gameMode == Playing) ||
            quitAsked())
            return;
        drawFrame();
        platformPresent(backBuffer);
    }
}

void shutdownAssets() {
    releaseAssets();
    destroy_bitmap(backBuffer);
    backBuffer = nullptr;
    remove_sound();
}
