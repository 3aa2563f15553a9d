// pad.cpp -- the pad's directions and buttons as GameKey bits, and its pause button's press
#include "config/pad.h"

#include "state/keys.h"

namespace {
bool down(const PadState& pad, int button) {
    return button >= 1 && button <= padButtonCount && (pad.buttons >> (button - 1) & 1u);
}
}  // namespace

uint32_t padKeys(const PadState& pad, const PadChoice& choice) {
    return (pad.left ? HeldLeft : 0u) | (pad.right ? HeldRight : 0u) | (pad.up ? HeldUp : 0u) |
           (pad.down ? HeldDown : 0u) | (down(pad, choice.fire) ? HeldSpace : 0u) |
           (down(pad, choice.start) ? HeldS : 0u);
}

bool padPausePressed(const PadState& before, const PadState& now, const PadChoice& choice) {
    return down(now, choice.pause) && !down(before, choice.pause);
}
