// settings.cpp -- the settings file read into the player's choices and saved back, and the
// folders the game's files are found in
#include "config/settings.h"

#include <allegro.h>
#ifdef ALLEGRO_WINDOWS
#include <winalleg.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <utility>

#include "config/settings_file.h"
#include "system/text.h"

int readPercent(std::string_view text) {
    if (text.empty() || text.size() > 3) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 100 ? value : -1;
}

int readScale(std::string_view text) {
    if (text == "auto") return 0;
    return text.size() == 1 && text[0] >= '1' && text[0] <= '8' ? text[0] - '0' : -1;
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

std::string screenshotFolder() {
#ifdef ALLEGRO_WINDOWS
    const char* profile = std::getenv("USERPROFILE");
    return profile && *profile ? std::string(profile) + "\\Pictures\\Driftwing" : "";
#else
    const char* pictures = std::getenv("XDG_PICTURES_DIR");
    const char* home = std::getenv("HOME");
    if (pictures && pictures[0] == '/') return std::string(pictures) + "/driftwing";
    return home && *home ? std::string(home) + "/Pictures/driftwing" : "";
#endif
}

namespace {
// The line (from 1) setting KEY in SECTION, its value in VALUE; 0 when none. A second line
// setting it again is named on standard error: the first one stands.
int setting(const SettingsFile& file, const std::string& path, const char* section,
            const char* key, std::string_view& value) {
    const int line = file.find(section, key, value);
    if (const int again = file.again(section, key))
        std::fprintf(stderr, "driftwing: %s: line %d: %s is set again; line %d stands\n",
                     path.c_str(), again, key, line);
    return line;
}

// "yes" or "no" of a [section] key; `fallback` (and a line naming the file) for anything else.
bool readYesNo(const SettingsFile& file, const std::string& path, const char* section,
               const char* key, bool fallback) {
    std::string_view value;
    if (!setting(file, path, section, key, value)) return fallback;
    if (value == "yes" || value == "no") return value == "yes";
    std::fprintf(stderr, "driftwing: %s: %s = %s is not yes or no; using %s\n", path.c_str(), key,
                 safeText(value).c_str(), fallback ? "yes" : "no");
    return fallback;
}

// A percentage of the [sound] section, or `fallback` after a line naming the file.
int readPercentSetting(const SettingsFile& file, const std::string& path, const char* key,
                       int fallback) {
    std::string_view value;
    if (!setting(file, path, "sound", key, value)) return fallback;
    const int percent = readPercent(value);
    if (percent >= 0) return percent;
    std::fprintf(stderr, "driftwing: %s: %s = %s is not 0 to 100; using %d\n", path.c_str(), key,
                 safeText(value).c_str(), fallback);
    return fallback;
}

// The lines that are no setting at all, named in one line.
void nameBadLines(const SettingsFile& file, const std::string& path) {
    const std::vector<int> bad = file.badLines();
    if (bad.empty()) return;
    std::fprintf(stderr,
                 "driftwing: %s: line %d '%s' is not a key = value, a [section] or a # "
                 "comment; skipped",
                 path.c_str(), bad[0], safeText(file.lines[bad[0] - 1]).c_str());
    if (bad.size() > 1) std::fprintf(stderr, " (and %zu more such lines)", bad.size() - 1);
    std::fputc('\n', stderr);
}

DisplayChoice displayOf(const SettingsFile& file, const std::string& path) {
    DisplayChoice choice;
    std::string_view value;
    if (setting(file, path, "display", "scale", value)) {
        const int scale = readScale(value);
        if (scale < 0)
            std::fprintf(stderr, "driftwing: %s: scale = %s is not 1 to 8 or auto; using auto\n",
                         path.c_str(), safeText(value).c_str());
        else
            choice.scale = scale;
    }
    choice.fullscreen = readYesNo(file, path, "display", "fullscreen", false);
    return choice;
}

// The [pad] section: its keys fire, start and pause (a button number, 1 to 32) and device
// (a path). A key whose value cannot be used keeps its default, after a line naming it.
PadChoice padOf(const SettingsFile& file, const std::string& path) {
    PadChoice choice;
    // A button is a number 1 to 32, written plainly (no sign, no leading zero).
    for (auto [name, button] : {std::pair{"fire", &choice.fire}, std::pair{"start", &choice.start},
                                std::pair{"pause", &choice.pause}}) {
        std::string_view value;
        const int line = setting(file, path, "pad", name, value);
        if (!line) continue;
        int number = 0;
        const bool plain =
            !value.empty() && value.size() <= 2 && value[0] != '0' &&
            std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        for (char c : value) number = plain ? number * 10 + (c - '0') : 0;
        if (plain && number <= padButtonCount) {
            *button = number;
            continue;
        }
        std::fprintf(stderr,
                     "driftwing: %s: line %d: %s = '%s' is not a button 1 to %d; using %d\n",
                     path.c_str(), line, name, safeText(value).c_str(), padButtonCount, *button);
    }
    std::string_view device;
    if (setting(file, path, "pad", "device", device)) choice.device = device;
    return choice;
}
}  // namespace

Settings settingsOf(const SettingsFile& file, const std::string& path) {
    Settings settings;
    nameBadLines(file, path);
    settings.display = displayOf(file, path);
    SoundChoice& sound = settings.sound;
    sound.music = readPercentSetting(file, path, "music", sound.music);
    sound.effects = readPercentSetting(file, path, "effects", sound.effects);
    sound.muted = readYesNo(file, path, "sound", "muted", false);
    settings.keys = readKeyBindings(file, path, stderr);
    settings.pad = padOf(file, path);
    return settings;
}

Settings loadSettings() {
    const std::string path = settingsPath();
    SettingsFile file;
    std::string problem;
    if (path.empty()) return Settings{};
    const SettingsRead read = readSettingsFile(path, file, problem);
    if (read == SettingsRead::refused)
        std::fprintf(stderr, "driftwing: cannot read the settings in %s: %s; using the defaults\n",
                     path.c_str(), problem.c_str());
    return read == SettingsRead::read ? settingsOf(file, path) : Settings{};
}

void saveSettings(const DisplayChoice& choice, const SoundChoice& sound) {
    const std::string path = settingsPath();
    if (path.empty()) return;
    // Everything else in the file stays as it is: what cannot be read is not written over.
    SettingsFile file;
    std::string problem;
    bool saved = readSettingsFile(path, file, problem) != SettingsRead::refused;
    if (saved) {
        const char digit[2] = {static_cast<char>('0' + choice.scale), 0};
        file.set("display", "scale", choice.scale ? digit : "auto");
        file.set("display", "fullscreen", choice.fullscreen ? "yes" : "no");
        // The sound's keys once it is other than it has always been, or the file has them.
        std::string_view old;
        const SoundChoice usual;
        if (sound.music != usual.music || sound.effects != usual.effects || sound.muted ||
            file.find("sound", "music", old) || file.find("sound", "effects", old) ||
            file.find("sound", "muted", old)) {
            file.set("sound", "music", std::to_string(sound.music));
            file.set("sound", "effects", std::to_string(sound.effects));
            file.set("sound", "muted", sound.muted ? "yes" : "no");
        }
        saved = writeSettingsFile(path, file.text(), problem);
    }
    // Said once: F11 saves again, and the reason will be the same.
    static bool said = false;
    if (!saved && !said) {
        std::fprintf(stderr, "driftwing: cannot save the settings in %s: %s\n", path.c_str(),
                     problem.c_str());
        said = true;
    }
}

