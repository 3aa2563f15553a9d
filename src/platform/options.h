// options.h -- what the player chooses around the game: the command line and the settings file
#pragma once

#include <string>

#include "platform/key_bindings.h"
#include "platform/pad.h"

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

struct CommandLine {
    DisplayChoice display;
    int music = -1, effects = -1;  // --volume, --music, --effects: 0..100; -1: not given
    bool scaleGiven = false;       // --scale was given
    bool fullscreenGiven = false;  // --fullscreen or --window was given
    std::string recordPath;        // --record FILE: the game's keys written to FILE
    bool overwrite = false;        // --force: an existing FILE is written over
    std::string playPath;          // --play FILE: a recorded game shown again
    std::string dataDir;           // --data DIR: the folder holding data/
};

constexpr int largestScale = 8;

// Called by main before anything else. Returns -1 when the game is to run, otherwise the
// exit code: 0 after --help or --version, 2 after one usage line on standard error.
int readCommandLine(int argc, char** argv, CommandLine& commandLine);

// The folder holding the game's data/: DIR of --data; else the working folder when its
// data/ holds the game's files (as a game started in its own folder has always done);
// else the program's own folder (a build, the Windows package); else the installed
// place beside it, ../share/games/driftwing. Empty means the working folder.
std::string findDataFolder(const std::string& given);

// The settings file: $XDG_CONFIG_HOME/driftwing/settings.cfg (or ~/.config/driftwing/),
// %APPDATA%\Driftwing\settings.cfg on Windows; empty when there is no such place.
std::string settingsPath();

// Where screenshots go: $XDG_PICTURES_DIR/driftwing when that is an absolute path, else
// ~/Pictures/driftwing (%USERPROFILE%\Pictures\Driftwing on Windows); empty when there
// is no home folder.
std::string screenshotFolder();

// Called by the window platform at start-up (and by --keys): what the settings file
// remembers, its [display], [sound], [keys] and [pad] sections; the defaults where the
// file is missing, and for whatever in it cannot be used, a line on standard error naming
// the file and what is wrong.
Settings loadSettings();

// Called by the window platform when the display or sound choice changes: remembers both in
// the settings file, rewriting only their keys and replacing the file whole in one step. A
// file that cannot be saved (or read first) is left as it was; one line on standard error
// says so, once.
void saveSettings(const DisplayChoice& display, const SoundChoice& sound);

// The [pad] section of a settings file read from PATH: its keys fire, start and pause (a
// button number, 1 to 32) and device (a path). A key whose value cannot be used keeps its
// default, after a line on standard error naming the file and the line.
PadChoice padChoiceOf(const SettingsFile& file, const std::string& path);

// The largest whole scale whose window fits in 90 % of the desktop's width and 85 % of
// its height (at least 1).
int fittingScale(int desktopWidth, int desktopHeight);

// Called by main before start-up: what the window platform is to do. Once the library
// is up it takes the command line's display choice over the remembered one, and
// remembers that in turn.
void useCommandLine(const CommandLine& commandLine);

// The command line main gave to useCommandLine (all defaults before it).
const CommandLine& givenCommandLine();
