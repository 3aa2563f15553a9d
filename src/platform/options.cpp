// options.cpp -- the command line, and the settings file read and written with the library's config
// functions
#include "platform/options.h"

#include <allegro.h>
#ifdef ALLEGRO_WINDOWS
#include <winalleg.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "state/assets.h"

#ifndef DRIFTWING_VERSION
#define DRIFTWING_VERSION "unknown"
#endif

namespace {
const char* const usage =
    "usage: driftwing [--scale N|auto] [--fullscreen | --window] "
    "[--record FILE [--force] | --play FILE] [--data DIR] [--help] [--version]\n";

// "auto" is 0; otherwise 1..largestScale, or -1 for anything else.
int readScale(const char* text) {
    if (std::strcmp(text, "auto") == 0) return 0;
    char* end = nullptr;
    long scale = std::strtol(text, &end, 10);
    return *text && !*end && scale >= 1 && scale <= largestScale ? static_cast<int>(scale) : -1;
}

void printHelp() {
    const std::string settings = settingsPath();
    std::printf(
        "%s\n"
        "  --scale N|auto  show every pixel of the game as an N x N block, 1 to %d; auto (the\n"
        "                  default) takes the largest that fits the desktop\n"
        "  --fullscreen    fill the desktop, the game centred; F11 or Alt+Enter toggles\n"
        "  --window        play in a window\n"
        "  --record FILE   write the keys of the game to FILE as it is played (--force: even\n"
        "                  over an existing FILE)\n"
        "  --play FILE     show a recorded game again, and check it plays out the same\n"
        "  --data DIR      read the game's files from DIR/data\n\n"
        "Keys: S starts a game, arrows steer and climb, Space fires, P pauses, Esc quits.\n"
        "The scale and fullscreen choice are remembered in %s.\n",
        usage, largestScale, settings.empty() ? "no file (no home folder)" : settings.c_str());
}
}  // namespace

int readCommandLine(int argc, char** argv, CommandLine& commandLine) {
    for (int i = 1; i < argc; ++i) {
        // --fullscreen and --window exclude each other.
        const bool windowGiven = commandLine.fullscreenGiven && !commandLine.display.fullscreen;
        const bool fullscreenGiven = commandLine.fullscreenGiven && commandLine.display.fullscreen;
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            printHelp();
            return 0;
        } else if (std::strcmp(arg, "--version") == 0) {
            std::printf("driftwing %s\n", DRIFTWING_VERSION);
            return 0;
        } else if (std::strcmp(arg, "--scale") == 0 && i + 1 < argc &&
                   readScale(argv[i + 1]) >= 0) {
            commandLine.display.scale = readScale(argv[++i]);
            commandLine.scaleGiven = true;
        } else if (std::strcmp(arg, "--fullscreen") == 0 && !windowGiven) {
            commandLine.display.fullscreen = commandLine.fullscreenGiven = true;
        } else if (std::strcmp(arg, "--window") == 0 && !fullscreenGiven) {
            commandLine.display.fullscreen = false;
            commandLine.fullscreenGiven = true;
        } else if (std::strcmp(arg, "--record") == 0 && i + 1 < argc && *argv[i + 1]) {
            commandLine.recordPath = argv[++i];
        } else if (std::strcmp(arg, "--play") == 0 && i + 1 < argc && *argv[i + 1]) {
            commandLine.playPath = argv[++i];
        } else if (std::strcmp(arg, "--data") == 0 && i + 1 < argc && *argv[i + 1]) {
            commandLine.dataDir = argv[++i];
        } else if (std::strcmp(arg, "--force") == 0) {
            commandLine.overwrite = true;
        } else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    const bool recording = !commandLine.recordPath.empty(), playing = !commandLine.playPath.empty();
    if ((recording && playing) || (commandLine.overwrite && !recording)) {
        std::fputs(usage, stderr);
        return 2;
    }
    return -1;
}

namespace {
bool holdsGame(const std::string& folder) {
    std::error_code failed;
    return std::filesystem::is_regular_file(folder + "/data/main.bmp", failed);
}

// The folder the running program lies in (links followed), or empty.
std::string programFolder() {
#ifdef ALLEGRO_WINDOWS
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length == sizeof path) return "";
    return std::filesystem::path(std::string(path, length)).parent_path().string();
#else
    std::error_code failed;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? "" : self.parent_path().string();
#endif
}
}  // namespace

std::string findDataFolder(const std::string& given) {
    if (!given.empty() || holdsGame(".")) return given;
    const std::string program = programFolder();
    for (const std::string& folder : {program, program + "/../share/games/driftwing"}) {
        if (!program.empty() && holdsGame(folder)) return folder;
    }
    return "";
}

std::string settingsPath() {
#ifdef ALLEGRO_WINDOWS
    const char* appData = std::getenv("APPDATA");
    return appData && *appData ? std::string(appData) + "\\Driftwing\\settings.cfg" : "";
#else
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && config[0] == '/') return std::string(config) + "/driftwing/settings.cfg";
    return home && *home ? std::string(home) + "/.config/driftwing/settings.cfg" : "";
#endif
}

DisplayChoice loadDisplayChoice() {
    DisplayChoice choice;
    const std::string path = settingsPath();
    if (path.empty()) return choice;
    push_config_state();
    set_config_file(path.c_str());
    const int scale = readScale(get_config_string("display", "scale", "auto"));
    if (scale >= 0) choice.scale = scale;
    choice.fullscreen = std::strcmp(get_config_string("display", "fullscreen", "no"), "yes") == 0;
    pop_config_state();
    return choice;
}

void saveDisplayChoice(const DisplayChoice& choice) {
    const std::string path = settingsPath();
    std::error_code failed;
    if (path.empty()) return;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), failed);
    if (failed) return;
    push_config_state();
    set_config_file(path.c_str());
    char scale[8] = "auto";
    if (choice.scale) std::snprintf(scale, sizeof scale, "%d", choice.scale);
    set_config_string("display", "scale", scale);
    set_config_string("display", "fullscreen", choice.fullscreen ? "yes" : "no");
    flush_config_file();
    pop_config_state();
}

int fittingScale(int desktopWidth, int desktopHeight) {
    const int scale =
        std::min(desktopWidth * 9 / 10 / frameWidth, desktopHeight * 85 / 100 / frameHeight);
    return std::clamp(scale, 1, largestScale);
}

namespace {
CommandLine given;  // what main read, for the window platform
}  // namespace

void useCommandLine(const CommandLine& commandLine) { given = commandLine; }

const CommandLine& givenCommandLine() { return given; }
