// recording.cpp -- writing the keys of every frame as a key script, and playing one back
#include "shell/recording.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "shell/key_script.h"
#include "shell/keys.h"
#include "state/game_state.h"

namespace {
constexpr int64_t framesPerFlush = 60;   // a crash loses at most a second
constexpr int64_t framesPerCheck = 600;  // the state noted every ten seconds

const Platform* window = nullptr;
int64_t frames = 0;  // frames played so far

// Recording: the run of frames with the same keys not yet written.
std::FILE* file = nullptr;
std::string filePath;
char fileBuffer[4096];  // the file's buffer, so that no write allocates in the frame loop
uint32_t runKeys = 0;
int64_t runLength = 0;

void writeRun() {
    if (runLength == 0) return;
    char keys[32];
    writeKeyNames(runKeys, keys);
    std::fprintf(file, "%" PRId64 " %s\n", runLength, keys);
    runLength = 0;
}

void writeCheck(const char* kind) {
    std::fprintf(file, "# %sframe %" PRId64 " state %016" PRIx64 "\n", kind, frames,
                 gameStateDigest());
}

uint32_t recordKeys() {
    const uint32_t keys = window->pollKeys.call();
    ++frames;
    if (runLength > 0 && keys != runKeys) writeRun();
    runKeys = keys;
    ++runLength;
    return keys;
}

bool recordBetweenFrames(bool gameInProgress) {
    if (frames % framesPerFlush == 0) {
        writeRun();
        if (frames % framesPerCheck == 0) writeCheck("");
        std::fflush(file);
    }
    return window->betweenFrames.call(gameInProgress);
}

// Playback: the recording's runs, where the next frame's keys come from, and the first
// noted state the game did not reach.
KeyScript recorded;
size_t runAt = 0;
int64_t usedOfRun = 0;
int64_t recordedFrames = 0;
StateChecker checker;

uint32_t playbackKeys() {
    const bool quit = window->pollKeys.call() & HeldEsc;  // the real keyboard only quits
    ++frames;
    while (runAt < recorded.lines.size() && usedOfRun == recorded.lines[runAt].count) {
        ++runAt;
        usedOfRun = 0;
    }
    if (runAt == recorded.lines.size()) return HeldEsc;
    ++usedOfRun;
    return quit ? HeldEsc : recorded.lines[runAt].keys;
}

bool playbackBetweenFrames(bool gameInProgress) {
    checker.afterFrame(frames);
    return frames >= recordedFrames || window->betweenFrames.call(gameInProgress);
}
}  // namespace

bool startRecording(const std::string& path, bool overwrite, std::string& why) {
    if (!overwrite && (file = std::fopen(path.c_str(), "rb"))) {
        std::fclose(file);
        file = nullptr;
        why = "it exists already (--force writes over it)";
        return false;
    }
    file = std::fopen(path.c_str(), "wb");
    if (!file) {
        why = std::strerror(errno);
        return false;
    }
    std::setvbuf(file, fileBuffer, _IOFBF, sizeof fileBuffer);
    filePath = path;
    frames = runLength = 0;
    std::fputs(
        "# A game of Driftwing: driftwing --play FILE shows it again, driftwing-replay --verify "
        "FILE checks it\n",
        file);
    std::fflush(file);
    return true;
}

void abandonRecording() {
    std::fclose(file);
    std::remove(filePath.c_str());
}

void publishRecording() {}

int finishRecording() {
    writeRun();
    writeCheck("end ");
    std::fclose(file);
    return 0;
}

void rescueRecording() {}

bool loadPlayback(const std::string& path, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!(in && text << in.rdbuf())) {
        why = errno ? std::strerror(errno) : "it cannot be read";
        return false;
    }
    recorded = parseKeyScript(text.str());
    if (!recorded.ok()) {
        why = "line " + std::to_string(recorded.errorLine) + ": " + recorded.error;
        return false;
    }
    frames = recordedFrames = usedOfRun = 0;
    runAt = 0;
    checker = StateChecker(&recorded.checks);
    for (const KeyScriptLine& line : recorded.lines) recordedFrames += line.count;
    return true;
}

namespace {
// The real platform with its keys and its turn between frames taken over.
const Platform& around(const Platform& real, uint32_t (*keys)(), bool (*between)(bool)) {
    window = &real;
    static Platform taken = real;
    taken.pollKeys = keys;
    taken.betweenFrames = between;
    return taken;
}
}  // namespace

const Platform& recordingPlatform(const Platform& real) {
    return around(real, recordKeys, recordBetweenFrames);
}

const Platform& playbackPlatform(const Platform& real) {
    return around(real, playbackKeys, playbackBetweenFrames);
}

int finishPlayback() {
    if (frames < recordedFrames) return 0;  // the player quit it early
    checker.afterFrame(frames);
    if (recorded.checks.empty()) {
        std::fprintf(stderr,
                     "driftwing: note: this recording notes no game state to check against\n");
        return 0;
    }
    return checker.reportDifference("driftwing", recordedFrames) ? 1 : 0;
}

void StateChecker::afterFrame(int64_t frame) {
    for (; checks_ && next_ < checks_->size() && (*checks_)[next_].frame <= frame; ++next_) {
        const StateCheck& check = (*checks_)[next_];
        if (check.frame != frame || differs_.frame >= 0) continue;
        const uint64_t reached = gameStateDigest();
        if (check.digest != reached) {
            differs_ = check;
            reached_ = reached;
        }
    }
}

bool StateChecker::reportDifference(const char* program, int64_t frames) const {
    if (differs_.frame < 0) return false;
    std::fprintf(stderr,
                 "%s: this recording played out differently: frame %" PRId64 " of %" PRId64
                 " (the game's state is %016" PRIx64 ", the recording's %016" PRIx64 ")\n",
                 program, differs_.frame, frames, reached_, differs_.digest);
    return true;
}
