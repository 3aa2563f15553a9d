// loop.cpp -- the frame loop, the pause, and the window's actions between frames
#include "spine/loop.h"

#include <algorithm>
#include <cstdio>

#include "platform/picture.h"
#include "spine/frame.h"
#include "spine/machine.h"
#include "spine/screenshot.h"
#include "state/assets.h"
#include "state/game_state.h"
#include "state/keys.h"
#include "system/signals.h"
#include "world/world.h"

namespace {
constexpr int volumeStep = 10;         // [ and ]: ten in a hundred
constexpr int ticksVolumeShown = 120;  // the volume line stays two seconds

// What the loop keeps between frames: the choices, and the pictures made over the frame.
struct Loop {
    DisplayChoice display;
    SoundChoice sound;
    int volumeTicks = 0;         // ticks the volume line is still shown
    BITMAP* strip = nullptr;     // a line, at the frame's width
    BITMAP* composed = nullptr;  // the frame with the line over its bottom rows
    BITMAP* paused = nullptr;    // the last picture with PAUSED over it
    BITMAP* shown = nullptr;     // the picture last shown
    bool (*check)() = nullptr;   // the program's own work between frames
};
Loop loop;

void applyLoudness() {
    const SoundChoice& s = loop.sound;
    machine().setLoudness.call(s.muted ? 0 : s.music, s.muted ? 0 : s.effects);
}

// M, [ and ]: mute and unmute, the volume down and up by a step, music and effects
// together; shown for two seconds and remembered. No frame of the game is involved.
void changeVolume(int action) {
    SoundChoice& s = loop.sound;
    if (action == ActMute) s.muted = !s.muted;
    const int step = action == ActLouder ? volumeStep : action == ActQuieter ? -volumeStep : 0;
    if (step) {
        s.muted = false;
        s.music = std::clamp(s.music + step, 0, 100);
        s.effects = std::clamp(s.effects + step, 0, 100);
    }
    applyLoudness();
    loop.volumeTicks = ticksVolumeShown;
    saveSettings(loop.display, loop.sound);
}

// F11 or Alt+Enter: into fullscreen or back, remembered for the next start.
void toggleFullscreen() {
    const bool wanted = !machine().screenNow.call().fullscreen;
    if (!machine().setFullscreen.call(wanted)) return;
    loop.display.fullscreen = wanted;
    saveSettings(loop.display, loop.sound);
}

// The last picture stays with PAUSED over it, the music held, until P again (or Escape,
// the close button or a quit: then true). No frame of the game passes.
bool pauseUntilResumed() {
    blit(loop.shown, loop.paused, 0, 0, 0, 0, loop.paused->w, loop.paused->h);
    drawPauseBox(loop.paused);
    machine().holdMusic.call(true);
    bool quit = false, resumed = false;
    while (!quit && !resumed) {
        show(loop.paused);
        machine().pace.call();
        const FrameInput in = takeInput();
        quit = windowActions(in, false) || (in.gameKeys & HeldEsc);
        for (int i = 0; i < in.actionCount; ++i) resumed = resumed || in.actions[i] == ActPause;
    }
    machine().holdMusic.call(false);
    forgetTaps();  // keys tapped while paused do not reach the game
    return quit;
}
}  // namespace

bool startLoop(const DisplayChoice& display, const SoundChoice& sound) {
    loop.display = display;
    loop.sound = sound;
    applyLoudness();
    if ((loop.composed = makePicture(8, frameWidth, frameHeight)) &&
        (loop.paused = makePicture(8, frameWidth, frameHeight)) &&
        (loop.strip = makePicture(8, frameWidth, lineRows)))
        return true;
    machine().leave.call();
    return false;
}

void show(BITMAP* frame, const PlaybackLine* line) {
    const bool volume = loop.volumeTicks > 0;
    if (volume) --loop.volumeTicks;
    if (volume) drawVolumeLine(loop.strip, loop.sound.music, loop.sound.effects, loop.sound.muted);
    if (!volume && line) drawPlaybackLine(loop.strip, *line);
    BITMAP* band = nullptr;
    if ((volume || line) && machine().screenNow.call().band) {
        band = loop.strip;
    } else if (volume || line) {
        putLineOver(frame, loop.strip, loop.composed);
        frame = loop.composed;
    }
    machine().present.call(frame, band);
    loop.shown = frame;
}

bool windowActions(const FrameInput& in, bool gameInProgress) {
    bool pause = false, close = false;
    for (int i = 0; i < in.actionCount; ++i) {
        const int action = in.actions[i];
        if (action == ActFullscreen) toggleFullscreen();
        if (action == ActMute || action == ActQuieter || action == ActLouder) changeVolume(action);
        if (action == ActScreenshot && loop.shown && shownPalette())
            saveScreenshot(loop.shown, shownPalette(), machine().screenNow.call().scale);
        pause = pause || action == ActPause || action == ActFocusLost;
        close = close || action == ActCloseWindow;
    }
    if (quitAsked() || (loop.check && loop.check())) return true;
    if (gameInProgress && pause) return pauseUntilResumed();
    return close;
}

void checkBetweenFrames(bool (*check)()) { loop.check = check; }

void runLoop(const LoopHooks& hooks) {
    // The frames of runFrame one after the other, with each wait moved from before a
    // frame's picture to before its keys: the keys are read just after the deadline and
    // the picture they lead to is shown at once, a whole frame sooner than the wait before
    // it would. The game's steps and states are the same, in the same order.
    drawFrame();
    passRequests();
    show(backBuffer);
    while (true) {
        machine().pace.call();
        const FrameInput in = takeInput();
        if (hooks.keysOfFrame) hooks.keysOfFrame(in.gameKeys);
        const bool quit = handleKeys(in.gameKeys);
        passRequests();
        if (hooks.frameEnded) hooks.frameEnded();
        // A screenshot asked in the frame that quits is still taken; no pause then.
        if (windowActions(in, !quit && game.gameMode == Playing) || quit) return;
        drawFrame();
        passRequests();
        show(backBuffer);
    }
}
