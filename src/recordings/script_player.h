// script_player.h -- a key script played through the game's own frames, headless: the one loop
// the replay runner, its video maker and the tests play a script with
#pragma once

#include <cstdint>

#include "recordings/checker.h"
#include "recordings/key_script.h"
#include "spine/frame.h"
#include "system/signals.h"

// Plays SCRIPT on from the session as started, each frame holding its line's keys. AFTER
// (frame, quit) is called before the first frame (frame 0) and after each; it returns false
// to stop there. CHECKER, when given, compares every frame with the recording's notes. The
// playing stops after a frame that saw Escape, and when a quit is asked. Returns the
// frames played.
template <typename AfterFrame>
int64_t playScript(const KeyScript& script, StateChecker* checker, AfterFrame after) {
    int64_t frame = 0;
    if (!after(frame, false)) return frame;
    for (const KeyScriptLine& line : script.lines) {
        for (int32_t i = 0; i < line.count; ++i) {
            const bool quit = runFrame(line.keys);
            ++frame;
            if (checker) checker->afterFrame(frame);
            if (!after(frame, quit) || quit || quitAsked()) return frame;
        }
    }
    return frame;
}
