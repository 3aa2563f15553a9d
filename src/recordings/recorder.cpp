// recorder.cpp -- the keys of every frame written down as runs, with the game's state noted
#include "recordings/recorder.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "recordings/key_script.h"
#include "state/game_state.h"
#include "system/io.h"

namespace {
constexpr int64_t framesPerFlush = 60;   // a crash loses at most a second
constexpr int64_t framesPerCheck = 600;  // the state noted every ten seconds
const char* const busy = "another game is recording into it";

// The lock is held only while a frame's line is made or the file closed, never across a
// wait; a spin on an atomic flag needs no thread library (Windows' builds have none). The
// display can be lost under the game on another thread, which then writes the end.
class SpinLock {
public:
    void lock() {
        while (held_.test_and_set(std::memory_order_acquire)) {
        }
    }
    void unlock() { held_.clear(std::memory_order_release); }

private:
    std::atomic_flag held_ = ATOMIC_FLAG_INIT;
};

class Held {
public:
    explicit Held(SpinLock& l) : lock_(l) { lock_.lock(); }
    ~Held() { lock_.unlock(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    SpinLock& lock_;
};

// The recording: where its lines go, the run of frames with the same keys not yet written,
// and the last whole frame's state for a game that ends without its quit path.
struct Recorder {
    NewFile file;
    bool (*sink)(const char*, size_t) = nullptr;  // a program's own keeping, instead of file
    bool on = false;         // lines are being written
    bool failed = false;     // a write failed; the recording stopped at its last whole line
    bool started = false;    // past its first line: a failure now is said as it happens
    int64_t whole = 0;       // bytes written, always up to the end of a line
    char buffer[4096];       // whole lines not yet written; no write allocates in the loop
    size_t used = 0;
    int64_t frames = 0;      // whole frames recorded
    uint32_t runKeys = 0;
    int64_t runLength = 0;
    uint32_t frameKeys = 0;     // the keys of the frame being played
    bool framePending = false;  // its keys are taken, the frame not yet over
    GameState lastWhole{};      // the game after frame `frames`
    SpinLock lock;
};
Recorder recorder;

// The recording stops at the last line that was written whole; one line says why.
void stopRecording(Recorder& r, int error) {
    if (r.started)
        std::fprintf(stderr, "driftwing: cannot write %s: %s; the recording stops here\n",
                     r.file.path().c_str(), std::strerror(error));
    r.file.truncateTo(r.whole);  // what is left of a cut line would be passed over anyway
    std::string why;
    if (!r.file.published()) r.file.discard();  // not yet under its name: nothing of it is kept
    r.file.close(why);
    r.on = false;
    r.failed = true;
}

// Writes out the whole lines buffered so far; false (after stopping) when they do not fit.
bool flush(Recorder& r) {
    const bool wrote = !r.on || (r.sink ? r.sink(r.buffer, r.used) : r.file.write(r.buffer, r.used));
    if (!wrote) stopRecording(r, r.sink ? ENOSPC : r.file.error());
    if (r.on) r.whole += static_cast<int64_t>(r.used);
    r.used = 0;
    return r.on;
}

void writeLine(Recorder& r, const char* line) {
    const size_t length = std::strlen(line);
    if (r.used + length > sizeof r.buffer) flush(r);
    if (!r.on) return;
    std::memcpy(r.buffer + r.used, line, length);
    r.used += length;
}

// A run's line ("COUNT KEYS") and a state's note ("# [end ]frame N state DIGEST"), into
// LINE (64 bytes).
void runLine(const Recorder& r, char* line) {
    char keys[32];
    writeKeyNames(r.runKeys, keys);
    std::snprintf(line, 64, "%" PRId64 " %s\n", r.runLength, keys);
}

void checkLine(const Recorder& r, const char* kind, const GameState& state, char* line) {
    std::snprintf(line, 64, "# %sframe %" PRId64 " state %016" PRIx64 "\n", kind, r.frames,
                  gameStateDigest(state));
}

void writeRun(Recorder& r) {
    if (r.runLength == 0) return;
    char line[64];
    runLine(r, line);
    writeLine(r, line);
    r.runLength = 0;
}

void writeCheck(Recorder& r, const char* kind, const GameState& state) {
    char line[64];
    checkLine(r, kind, state, line);
    writeLine(r, line);
}

void begin(Recorder& r) {
    r.on = true;
    r.failed = r.started = false;
    r.frames = r.runLength = 0;
    r.whole = 0;
    r.used = 0;
    writeLine(r, recordingHeader.data());
}

// The keys of the frame about to be played.
void keysOfFrame(uint32_t keys) {
    recorder.frameKeys = keys;
    recorder.framePending = true;
}

// The frame just played joins its run; every second the runs are written out.
void endFrame(Recorder& r) {
    if (!r.framePending) return;
    r.framePending = false;
    ++r.frames;
    if (r.runLength > 0 && r.frameKeys != r.runKeys) writeRun(r);
    r.runKeys = r.frameKeys;
    ++r.runLength;
    if (r.frames % framesPerFlush == 0) {
        writeRun(r);
        if (r.frames % framesPerCheck == 0) writeCheck(r, "", game);
        flush(r);
    }
}

void frameEnded() {
    Held held(recorder.lock);
    endFrame(recorder);
    recorder.lastWhole = game;
}
}  // namespace

bool startRecording(const std::string& path, bool overwrite, std::string& why) {
    Recorder& r = recorder;
    r.sink = nullptr;
    if (!r.file.begin(path, overwrite ? NewFile::Existing::replace : NewFile::Existing::refuse,
                      busy, why, true))
        return false;
    begin(r);
    if (!flush(r)) {
        why = std::strerror(r.file.error() ? r.file.error() : ENOSPC);
        return false;
    }
    r.started = true;
    return true;
}

void startRecordingInto(bool (*write)(const char* text, size_t size)) {
    recorder.sink = write;
    begin(recorder);
    recorder.started = true;
}

void publishRecording() {
    Recorder& r = recorder;
    std::string why;
    if (!r.on || r.sink || r.file.published()) return;
    if (r.file.publish(why)) return;
    std::fprintf(stderr, "driftwing: cannot record into %s: %s; the game goes on unrecorded\n",
                 r.file.path().c_str(), why.c_str());
    r.file.discard();
    r.on = false;
    r.failed = true;
}

LoopHooks recordingHooks() { return {keysOfFrame, frameEnded}; }

void abandonRecording() {
    recorder.file.discard();
    recorder.on = false;
}

int finishRecording() {
    Held held(recorder.lock);
    Recorder& r = recorder;
    endFrame(r);
    writeRun(r);
    writeCheck(r, "end ", game);
    flush(r);
    std::string why;
    if (r.on && !r.sink && !r.file.close(why)) stopRecording(r, r.file.error());
    r.on = false;
    return r.failed ? 1 : 0;
}

std::string recordingEndingNow() {
    Held held(recorder.lock);
    const Recorder& r = recorder;
    if (!r.on) return std::string();
    std::string text(r.buffer, r.used);
    char line[64];
    if (r.runLength > 0) {
        runLine(r, line);
        text += line;
    }
    checkLine(r, "end ", r.lastWhole, line);
    return text + line;
}

void rescueRecording() {
    Held held(recorder.lock);
    Recorder& r = recorder;
    if (!r.on) return;
    writeRun(r);
    writeCheck(r, "end ", r.lastWhole);
    flush(r);
    if (!r.sink && !r.file.published()) r.file.discard();
}
