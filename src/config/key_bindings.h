// key_bindings.h -- the keys of the player's choice: which keyboard keys do each action
//
// The settings file's [keys] section names one or two keys an action, with Allegro's key
// names ("left = A", "fire = SPACE LCONTROL"). The game itself still sees only its own
// keys (state/keys.h), so a recording made with other keys holds the game's own names and
// plays the same everywhere. Part of the configuration; includes state/keys.h for the game's
// keys and nothing of the game's rules.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "config/settings_file.h"
#include "state/keys.h"

enum Action : int {
    ActLeft,
    ActRight,
    ActUp,
    ActDown,
    ActFire,
    ActStart,
    ActPause,
    ActQuit,
    ActFullscreen,
    ActMute,
    ActScreenshot,
    ActQuieter,
    ActLouder,
    actionCount,
};

// The keyboard's keys (Allegro's KEY_ numbers) of each action; 0 where an action has one.
struct KeyBindings {
    int keys[actionCount][2];

    // The game keys (GameKey bits) of the actions whose keys are down in `down`, which is
    // Allegro's key[] array.
    uint32_t gameKeysDown(const volatile char* down) const;
    // The game keys a key does (0 for none): what a tap of it adds to the next frame.
    uint32_t gameKeysDownFor(int scancode) const;
    // The action a key does, or actionCount.
    int actionOf(int scancode) const;
};

// The keys the game has always had: the arrows, Space, S, P, Escape, F11, M, F12, [ and ].
KeyBindings defaultKeyBindings();

// The bindings the settings file's [keys] section asks for. Each line that cannot be used
// (an unknown action or key name, more than two keys, none, a key another action has)
// is one line on `errors` naming PATH and the line; that action keeps its default.
KeyBindings readKeyBindings(const SettingsFile& file, const std::string& path, std::FILE* errors);

// "left = LEFT" and so on, a line an action, in the order of Action.
void printKeyBindings(const KeyBindings& bindings, std::FILE* out);

// Allegro's name of a key (KEY_LEFT: "LEFT"), and the key of a name in any case (0: none).
std::string_view keyName(int scancode);
int keyOfAllegroName(std::string_view name);
