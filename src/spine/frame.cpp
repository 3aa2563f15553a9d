// frame.cpp -- start-up, the order of work in a frame, the frame's requests, and shutdown
#include "spine/frame.h"

#include <cstdio>

#include "overlay/overlay.h"
#include "platform/picture.h"
#include "present/backdrop.h"
#include "present/score.h"
#include "present/title.h"
#include "spine/machine.h"
#include "state/assets.h"
#include "state/game_state.h"
#include "state/requests.h"
#include "world/world.h"

namespace {
void (*cueListener)(Cue) = nullptr;
const RGB* palette = nullptr;  // the palette last shown
}  // namespace

ScreenRequest frameScreen() {
    ScreenRequest request;
    request.frameWidth = frameWidth;
    request.frameHeight = frameHeight;
    request.bandRows = lineRows;
    return request;
}

int startUp(const ScreenRequest& request) {
    if (!machine().open.call(request)) return 1;
    return startSession();
}

int startSession() {
    if (!(backBuffer = makePicture(8, frameWidth, frameHeight))) {
        machine().leave.call();
        return 1;
    }
    clear_bitmap(backBuffer);
    game.scrollY = 0;
    game.topRow = 1;
    frameRequests = FrameRequests{};
    resetGame();
    if (!initSession()) {
        machine().leave.call();
        std::fprintf(stderr, "driftwing: cannot load %s\n", failedAsset());
        destroy_bitmap(backBuffer);
        backBuffer = nullptr;
        return 1;
    }
    passRequests();
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

bool runFrame(uint32_t keys) {
    drawFrame();
    passRequests();
    machine().present.call(backBuffer, nullptr);
    const bool quit = handleKeys(keys);
    passRequests();
    return quit;
}

void passRequests(bool effects) {
    FrameRequests& r = frameRequests;
    if (r.palette) machine().showPalette.call(palette = r.palette);
    r.palette = nullptr;
    for (int i = 0; i < r.cueCount; ++i) {
        if (cueListener) cueListener(r.cues[i]);
        const CueSound& c = cueSound(r.cues[i]);
        if (effects || c.loop) machine().playSample.call(*c.sample, c.volume, c.pan, c.frequency, c.loop);
    }
    r.cueCount = 0;
}

void listenToCues(void (*heard)(Cue cue)) { cueListener = heard; }

const RGB* shownPalette() { return palette; }

void shutdownSession() {
    releaseAssets();
    destroy_bitmap(backBuffer);
    backBuffer = nullptr;
    remove_sound();
}
