// replay.cpp -- driftwing-replay: the game's own start-up, frames and shutdown, keys from a script
//
// Runs headless: no window, no keyboard, no sound card. Each frame holds the keys the
// script names, and the runner can write the whole game state after every frame
// (a JSON line) and pictures of chosen frames (8-bit BMP files), and check a recording
// made by the game: that the replayed game reaches every state the recording noted.
#include <allegro.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/frame.h"
#include "shell/key_script.h"
#include "shell/recording.h"
#include "state/assets.h"
#include "trace.h"
#include "video.h"

namespace {
constexpr int exitRan = 0;
constexpr int exitStartUpFailed = 1;
constexpr int exitDiffered = 1;  // --verify: the game came out different
constexpr int exitBadInput = 2;

const char* const usage =
    "usage: driftwing-replay [--data DIR] [--trace FILE|-] [--shot N:FILE]... [--verify] "
    "SCRIPT|-\n"
    "       driftwing-replay [--data DIR] --video OUT [--scale N] [--from SECONDS] "
    "[--to SECONDS] SCRIPT|-\n";

const char* const help =
    "Plays a key script or a recording headless, the game's own frames.\n"
    "  --data DIR        read data/ from DIR (default: the current folder)\n"
    "  --trace FILE|-    the game state after every frame, one JSON line each\n"
    "  --shot N:FILE     the picture of frame N as an 8-bit BMP (frame 0: before the first)\n"
    "  --verify          check the states a recording noted; exit 1 when they differ\n"
    "  --video OUT       the recording as OUT.mp4 (H.264, AAC), OUT.webm (VP9, Opus) or\n"
    "                    OUT.gif (no sound, the game's own colours); needs ffmpeg but for\n"
    "                    GIF. A recording that does not verify is refused. MP4 and WebM\n"
    "                    hold every frame at 60 a second (video frame i is game frame\n"
    "                    FROM + i); a GIF holds game frames FROM, FROM + 2, FROM + 4, ...\n"
    "                    at 30 a second (delays of 3, 3, 4 hundredths in turn)\n"
    "  --scale N         each game pixel as N x N video pixels, 1 to 8 (default 2)\n"
    "  --from SECONDS    the clip starts at this time of the recording (default 0)\n"
    "  --to SECONDS      and ends before this one (default: the recording's end)\n";

struct Shot {
    int64_t frame;
    std::string path;  // absolute, so that --data does not move it
    bool written = false;
};

struct Options {
    std::string dataDir;  // empty: stay where we are
    std::string tracePath;
    std::vector<Shot> shots;
    std::string scriptPath;
    bool verify = false;       // compare the game with the state a recording noted
    bool video = false;        // --video: the rest of the options are for video
    bool clipOptions = false;  // --scale, --from or --to given
    VideoOptions videoOptions;
};

// Prints a message and returns the exit code for bad input.
int refuse(const std::string& message) {
    std::fprintf(stderr, "driftwing-replay: %s\n", message.c_str());
    return exitBadInput;
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    return currentDirectory() + "/" + path;
}

// A picture file can be written when its folder exists and takes new files, and the
// file is not a folder or a read-only file. Checked before the run, without creating it.
bool canWriteFile(const std::string& path, std::string& why) {
    std::string folder = path.substr(0, path.find_last_of('/'));
    if (folder.empty()) folder = "/";
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        why = "no such folder";
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            why = "it is a folder";
            return false;
        }
        if (access(path.c_str(), W_OK) != 0) {
            why = std::strerror(errno);
            return false;
        }
    }
    return true;
}

// N of --shot N:FILE: decimal digits only.
bool readFrameNumber(const std::string& text, int64_t& frame) {
    if (text.empty() || text.size() > 18) return false;
    frame = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        frame = frame * 10 + (c - '0');
    }
    return true;
}

// --video, --scale, --from, --to: 0 when taken, -1 when ARG is none of them, otherwise
// the exit code (a message is printed).
int readVideoOption(const std::string& arg, const std::string& value, Options& options) {
    VideoOptions& v = options.videoOptions;
    if (arg == "--video") {
        v.path = absolutePath(value);
        v.format = videoFormatOf(value);
        if (v.format == VideoFormat::None)
            return refuse("--video makes .mp4, .webm or .gif files, not '" + quoted(value) + "'");
        options.video = true;
        return 0;
    }
    if (arg == "--scale") {
        int64_t scale = 0;
        if (!readFrameNumber(value, scale) || scale < smallestVideoScale ||
            scale > largestVideoScale)
            return refuse("--scale takes a whole number from 1 to 8, not '" + quoted(value) + "'");
        v.scale = static_cast<int>(scale);
    } else if (arg == "--from" || arg == "--to") {
        int64_t frame = 0;
        if (!readSeconds(value, frame))
            return refuse(arg + " takes a time in seconds such as 12 or 1.5, not '" +
                          quoted(value) + "'");
        (arg == "--from" ? v.fromFrame : v.toFrame) = frame;
    } else {
        return -1;
    }
    options.clipOptions = true;
    return 0;
}

// Returns -1 when the options are good, otherwise the exit code (a message is printed).
int readOptions(int argc, char** argv, Options& options) {
    bool sawScript = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (sawScript)
                return refuse("more than one script given: '" + quoted(arg) + "'\n" + usage);
            options.scriptPath = arg;
            sawScript = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--verify") {
            options.verify = true;
            continue;
        }
        if (arg == "--help") {
            std::fputs(usage, stdout);
            std::fputs(help, stdout);
            return exitRan;
        }
        bool takesValue = arg == "--data" || arg == "--trace" || arg == "--shot" ||
                          arg == "--video" || arg == "--scale" || arg == "--from" || arg == "--to";
        if (!takesValue) return refuse("unknown option '" + quoted(arg) + "'\n" + usage);
        if (i + 1 >= argc) return refuse("option " + arg + " needs a value\n" + usage);
        std::string value = argv[++i];
        if (int refused = readVideoOption(arg, value, options); refused >= 0) {
            if (refused > 0) return refused;
        } else if (arg == "--data") {
            options.dataDir = value;
        } else if (arg == "--trace") {
            options.tracePath = value;
        } else {
            size_t colon = value.find(':');
            Shot shot{};
            if (colon == std::string::npos || colon + 1 == value.size() ||
                !readFrameNumber(value.substr(0, colon), shot.frame))
                return refuse("--shot takes N:FILE with a frame number N, not '" + quoted(value) +
                              "'");
            shot.path = absolutePath(value.substr(colon + 1));
            options.shots.push_back(shot);
        }
    }
    if (!sawScript) return refuse(std::string("no script given\n") + usage);
    if (options.clipOptions && !options.video)
        return refuse("--scale, --from and --to are for --video");
    if (options.video && (!options.tracePath.empty() || !options.shots.empty()))
        return refuse("--video makes a video only: leave out --trace and --shot");
    const VideoOptions& v = options.videoOptions;
    if (v.toFrame >= 0 && v.fromFrame >= v.toFrame) return refuse("--from must come before --to");
    return -1;
}

// The script from a file (refused before it is read when it is no regular file, empty or
// over 64 MiB), or from standard input up to that size.
bool readScript(const std::string& path, std::string& text, std::string& why) {
    if (path != "-") return readScriptFile(path, text, why);
    constexpr size_t largest = size_t{64} << 20;
    char chunk[65536];
    while (std::cin.read(chunk, sizeof chunk) || std::cin.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(std::cin.gcount()));
        if (text.size() > largest) {
            why = "it is larger than 64 MiB";
            return false;
        }
    }
    why = std::cin.bad() ? "it cannot be read" : "";
    return why.empty();
}

// Sounds the game started since the last trace line.
std::vector<TracedSound> pendingSounds;

void recordSound(const char* cue, int volume, int pan, int frequency, int loop) {
    pendingSounds.push_back({cue, volume, pan, frequency, loop});
}

// Writes the pictures asked for this frame; false when one could not be written.
bool takeShots(std::vector<Shot>& shots, int64_t frame) {
    bool ok = true;
    for (Shot& shot : shots) {
        if (shot.frame != frame) continue;
        if (save_bmp(shot.path.c_str(), backBuffer, spritePalette) != 0) {
            std::fprintf(stderr, "driftwing-replay: cannot write the picture %s\n",
                         shot.path.c_str());
            ok = false;
        }
        shot.written = true;
    }
    return ok;
}

// The game, frame after frame, as long as the script holds keys. Returns whether
// every picture and trace line was written; counts the frames played.
bool runScript(const KeyScript& script, TraceWriter* trace, std::vector<Shot>& shots,
               StateChecker* checker, int64_t& frame) {
    bool wantShots = !shots.empty();
    bool ok = true;
    frame = 0;
    if (trace) {
        trace->writeFrame(frame, pendingSounds, backBuffer, false);
        pendingSounds.clear();
    }
    if (wantShots) ok &= takeShots(shots, frame);
    for (const KeyScriptLine& line : script.lines) {
        setHeadlessKeys(line.keys);
        for (int32_t i = 0; i < line.count; ++i) {
            bool quit = runFrame();
            ++frame;
            if (trace) {
                trace->writeFrame(frame, pendingSounds, backBuffer, quit);
                pendingSounds.clear();
            }
            if (wantShots) ok &= takeShots(shots, frame);
            if (checker) checker->afterFrame(frame);
            if (quit) return ok;
        }
    }
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    Options options;
    int refused = readOptions(argc, argv, options);
    if (refused >= 0) return refused;

    std::string scriptText, why;
    if (!readScript(options.scriptPath, scriptText, why))
        return refuse("cannot read the script " + options.scriptPath + ": " + why);
    KeyScript script = parseKeyScript(scriptText);
    if (!script.ok())
        return refuse(options.scriptPath + ": line " + std::to_string(script.errorLine) + ": " +
                      script.error);
    if (script.cutShort)
        std::fprintf(stderr,
                     "driftwing-replay: note: %s ends mid-line (cut short?); played to its last "
                     "whole line\n",
                     options.scriptPath.c_str());

    if (options.video) {
        std::string unwritable;
        if (!canWriteFile(options.videoOptions.path, unwritable))
            return refuse("cannot write the video " + options.videoOptions.path + ": " +
                          unwritable);
        if (!options.dataDir.empty() && chdir(options.dataDir.c_str()) != 0)
            return refuse("cannot use the folder " + options.dataDir + ": " + std::strerror(errno));
        return makeVideo(script, options.scriptPath, options.videoOptions);
    }

    for (const Shot& shot : options.shots) {
        std::string unwritable;
        if (!canWriteFile(shot.path, unwritable))
            return refuse("cannot write the picture " + shot.path + ": " + unwritable);
    }

    std::FILE* traceFile = nullptr;
    if (options.tracePath == "-") {
        traceFile = stdout;
    } else if (!options.tracePath.empty()) {
        traceFile = std::fopen(options.tracePath.c_str(), "wb");
        if (!traceFile)
            return refuse("cannot write the trace " + options.tracePath + ": " +
                          std::strerror(errno));
    }
    if (traceFile) {
        static char streamBuffer[1 << 20];
        std::setvbuf(traceFile, streamBuffer, _IOFBF, sizeof streamBuffer);
    }

    if (!options.dataDir.empty() && chdir(options.dataDir.c_str()) != 0)
        return refuse("cannot use the folder " + options.dataDir + ": " + std::strerror(errno));

    usePlatform(headlessPlatform);
    if (traceFile) {
        pendingSounds.reserve(1024);
        setSoundRecorder(recordSound);
    }
    if (startUp() != 0) return exitStartUpFailed;

    std::unique_ptr<TraceWriter> trace;
    if (traceFile) trace = std::make_unique<TraceWriter>(traceFile, backBuffer->w, backBuffer->h);
    StateChecker checker(&script.checks);
    int64_t frames = 0;
    bool wrote =
        runScript(script, trace.get(), options.shots, options.verify ? &checker : nullptr, frames);
    if (trace) trace->finish();
    shutdownAssets();

    for (const Shot& shot : options.shots) {
        if (!shot.written)
            std::fprintf(stderr,
                         "driftwing-replay: note: frame %lld was never reached, %s not written\n",
                         static_cast<long long>(shot.frame), shot.path.c_str());
    }
    if (traceFile) {
        bool traceOk = std::fflush(traceFile) == 0 && trace->healthy();
        if (traceFile != stdout) traceOk &= std::fclose(traceFile) == 0;
        if (!traceOk) {
            std::fprintf(stderr, "driftwing-replay: writing the trace %s failed\n",
                         options.tracePath.c_str());
            wrote = false;
        }
    }
    if (!wrote) return exitBadInput;
    if (options.verify && checker.reportDifference("driftwing-replay", frames)) return exitDiffered;
    if (options.verify && !script.ended)
        std::fprintf(stderr,
                     "driftwing-replay: note: %s has no closing state (cut short?): %zu noted "
                     "states of its %lld frames checked\n",
                     options.scriptPath.c_str(), script.checks.size(),
                     static_cast<long long>(frames));
    return exitRan;
}
END_OF_MAIN()
