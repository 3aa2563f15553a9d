// options.h -- what the player chooses around the game: the command line and the settings file
#pragma once

#include <string>

#include "platform/pad.h"

struct SettingsFile;

// How the window shows the game.
struct DisplayChoice {
    int scale = 0;            // each game pixel as a scale x scale block, 1..8; 0: the
                              // largest that fits the desktop comfortably
    bool fullscreen = false;  // the whole desktop, the frame centred at the largest scale
};

struct CommandLine {
    DisplayChoice display;
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

// Called by the window platform at start-up: the choice remembered in the settings file's
// [display] section; the defaults where the file is missing, and for whatever in it cannot
// be used, a line on standard error naming the file and what is wrong.
DisplayChoice loadDisplayChoice();

// Called by the window platform when the choice changes: remembers it in the settings file,
// rewriting only its two keys and replacing the file whole in one step. A file that cannot
// be saved (or read first) is left as it was; one line on standard error says so, once.
void saveDisplayChoice(const DisplayChoice& choice);

// Called by the window platform at start-up: the [pad] section of the settings file, its
// keys fire, start and pause (a button number, 1 to 32) and device (a path). A key whose
// value cannot be used keeps its default, after a line on standard error naming the file
// and the line. Nothing is said about a file that cannot be read: loadDisplayChoice has.
PadChoice loadPadChoice();
// The same, of a file already read from PATH.
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
