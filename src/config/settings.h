// settings.h -- what the player chooses around the game and the game remembers: the display,
// the loudness, the keys and the pad, in the settings file; and where the game's files are
#pragma once

#include <string>

#include "config/key_bindings.h"
#include "config/pad.h"

struct SettingsFile;

// How the window shows the game.
struct DisplayChoice {
    int scale = 0;            // each game pixel as a scale x scale block, 1..8; 0: the
                              // largest that fits the desktop comfortably
    bool fullscreen = false;  // the whole desktop, the frame centred at the largest scale
};

// How loud the game is: the music and the shots and blasts, each 0 (silent) to 100 (as
// the samples are), and muted over both.
struct SoundChoice {
    int music = 100;
    int effects = 100;
    bool muted = false;
};

// Everything the settings file remembers.
struct Settings {
    DisplayChoice display;
    SoundChoice sound;
    KeyBindings keys = defaultKeyBindings();
    PadChoice pad;
};

// The settings file: $XDG_CONFIG_HOME/driftwing/settings.cfg (or ~/.config/driftwing/),
// %APPDATA%\Driftwing\settings.cfg on Windows; empty when there is no such place.
std::string settingsPath();

// Where screenshots go: $XDG_PICTURES_DIR/driftwing when that is an absolute path, else
// ~/Pictures/driftwing (%USERPROFILE%\Pictures\Driftwing on Windows); empty when there
// is no home folder.
std::string screenshotFolder();

// The folder holding the game's data/: DIR of --data; else the working folder when its
// data/ holds the game's files (as a game started in its own folder has always done);
// else the program's own folder (a build, the Windows package); else the installed
// place beside it, ../share/games/driftwing. Empty means the working folder.
std::string findDataFolder(const std::string& given);

// What the settings file remembers: its [display], [sound], [keys] and [pad] sections; the
// defaults where the file is missing, and for whatever in it cannot be used, a line on
// standard error naming the file and what is wrong.
Settings loadSettings();

// The settings a settings file's text asks for, PATH naming it in the lines about what
// cannot be used.
Settings settingsOf(const SettingsFile& file, const std::string& path);

// Called when the display or sound choice changes: remembers both in the settings file,
// rewriting only their keys and replacing the file whole in one step. A file that cannot
// be saved (or read first) is left as it was; one line on standard error says so, once.
void saveSettings(const DisplayChoice& display, const SoundChoice& sound);

// A percentage: one to three digits, 0 to 100; anything else is -1.
int readPercent(std::string_view text);

// "auto" is 0; one digit 1..8 is itself; anything else (02, +2, 2x) is -1.
int readScale(std::string_view text);
