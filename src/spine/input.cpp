// input.cpp -- the machine's key and pad events turned into the game's keys and the window's actions
#include "spine/input.h"

#include <allegro.h>

#include <cstring>

#include "spine/machine.h"
#include "state/keys.h"

namespace {
struct Controls {
    KeyBindings keys = defaultKeyBindings();
    PadChoice pad;
    char down[KEY_MAX] = {};  // the keyboard's keys held, as their events said
    uint32_t tapped = 0;      // game keys gone down since the last frame took them
    PadState padBefore;
};
Controls controls;

void add(int* list, int& count, int value) {
    if (count < FrameInput::most) list[count++] = value;
}

// One event into the keys held and the frame's input.
void take(const InputEvent& e, FrameInput& in) {
    Controls& c = controls;
    if (e.kind == InputEvent::KeyDown && e.key < KEY_MAX) {
        c.down[e.key] = 1;
        c.tapped |= c.keys.gameKeysDownFor(e.key);
        const int action = c.keys.actionOf(e.key);
        if (action < actionCount && !c.keys.gameKeysDownFor(e.key)) add(in.actions, in.actionCount, action);
        if (e.key == KEY_ENTER && e.alt) add(in.actions, in.actionCount, ActFullscreen);
        add(in.keys, in.keyCount, e.key);
    } else if (e.kind == InputEvent::KeyUp && e.key < KEY_MAX) {
        c.down[e.key] = 0;
    } else if (e.kind == InputEvent::Close) {
        add(in.actions, in.actionCount, ActCloseWindow);
    } else if (e.kind == InputEvent::FocusLost) {
        std::memset(c.down, 0, sizeof c.down);
        add(in.actions, in.actionCount, ActFocusLost);
    }
}
}  // namespace

void useControls(const KeyBindings& keys, const PadChoice& pad) {
    controls.keys = keys;
    controls.pad = pad;
}

FrameInput takeInput() {
    Controls& c = controls;
    FrameInput in;
    InputEvent events[64];
    for (int n = 64; n == 64;) {
        n = machine().readInput.call(events, 64);
        for (int i = 0; i < n; ++i) take(events[i], in);
    }
    const PadState pad = machine().readPad.call();
    if (padPausePressed(c.padBefore, pad, c.pad)) add(in.actions, in.actionCount, ActPause);
    c.padBefore = pad;
    in.gameKeys = c.keys.gameKeysDown(c.down) | c.tapped | padKeys(pad, c.pad);
    c.tapped = 0;
    return in;
}

void forgetTaps() { controls.tapped = 0; }
