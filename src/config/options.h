// options.h -- the game's command line
#pragma once

#include <string>

#include "config/settings.h"

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

// Called by main before anything else. Returns -1 when the game is to run, otherwise the
// exit code: 0 after --help, --version or --keys, 2 after a usage line on standard error
// (with the reason before it).
int readCommandLine(int argc, char** argv, CommandLine& commandLine);

// The settings the game starts with: the file's, with what the command line names over
// them, remembered in turn when it names any.
Settings settingsFor(const CommandLine& commandLine);
