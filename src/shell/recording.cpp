// recording.cpp -- writing the keys of every frame as a key script, and playing one back
#include "shell/recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
// Allegro has a BITMAP of its own; Windows' is renamed on the way in.
#define BITMAP WINDOWS_BITMAP
#include <windows.h>
#undef BITMAP
#else
#include <sys/file.h>
#endif

#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "shell/key_script.h"
#include "state/game_state.h"
#include "state/keys.h"

namespace {
constexpr int64_t framesPerFlush = 60;   // a crash loses at most a second
constexpr int64_t framesPerCheck = 600;  // the state noted every ten seconds
constexpr int64_t largestScript = int64_t{64} << 20;

const Platform* window = nullptr;

// The file a recording goes to, and how much of it is surely on the disk.
struct RecordFile {
    std::string path;      // the name the recording is to have
    std::string partPath;  // beside it, where the recording waits until the game has started
    int fd = -1;           // -1: not recording (never started, or stopped by a failure)
    bool direct = false;   // PATH is a device or a pipe, written straight into
    bool overwrite = false;
    bool published = false;  // the recording has PATH's name
    bool failed = false;     // a write failed; the recording stopped at its last whole line
    bool started = false;    // past its first line: a failure now is said as it happens
    int error = 0;           // what stopped it
    int64_t onDisk = 0;      // bytes written, always up to the end of a line
    char buffer[4096];       // whole lines not yet written; no write allocates in the loop
    size_t used = 0;
};

// The recorder: the file, the run of frames with the same keys not yet written, and the
// last whole frame's state for a game that ends without its quit path (the display lost,
// noticed on another thread: hence the lock).
// The lock is held only while a frame's line is made or the file closed, never across
// a wait; a spin on an atomic flag needs no thread library (Windows' builds have none).
class SpinLock {
public:
    void lock() {
        while (held.test_and_set(std::memory_order_acquire)) {
        }
    }
    void unlock() { held.clear(std::memory_order_release); }

private:
    std::atomic_flag held = ATOMIC_FLAG_INIT;
};

// The lock held to the end of a block.
class Held {
public:
    explicit Held(SpinLock& l) : lock(l) { lock.lock(); }
    ~Held() { lock.unlock(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    SpinLock& lock;
};

struct Recorder {
    RecordFile file;
    int64_t frames = 0;  // whole frames recorded
    uint32_t runKeys = 0;
    int64_t runLength = 0;
    uint32_t frameKeys = 0;     // the keys of the frame being played
    bool framePending = false;  // its keys are polled, the frame not yet over
    GameState lastWhole{};      // the game after frame `frames`
    SpinLock lock;
};
Recorder recorder;

// --- the file, written only in whole lines ---

void discardPart(RecordFile& f);

void closeFile(RecordFile& f) {
    if (f.fd >= 0) close(f.fd);
    f.fd = -1;
}

// The recording stops at the last line that reached the disk; one line says why.
void stopRecording(RecordFile& f, int error) {
    if (f.started)
        std::fprintf(stderr, "driftwing: cannot write %s: %s; the recording stops here\n",
                     f.path.c_str(), std::strerror(error));
    f.error = error;
    if (!f.direct && ftruncate(f.fd, f.onDisk) != 0) {
        // What is left of a cut line is passed over when the recording is played.
    }
    discardPart(f);  // not yet under its name: nothing of it is kept
    closeFile(f);
    f.failed = true;
}

// Writes out the whole lines buffered so far; false (after stopping) when they do not fit.
bool flushFile(RecordFile& f) {
    size_t done = 0;
    while (f.fd >= 0 && done < f.used) {
        const auto wrote = write(f.fd, f.buffer + done, f.used - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            stopRecording(f, wrote < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<size_t>(wrote);
    }
    if (f.fd >= 0) f.onDisk += static_cast<int64_t>(f.used);
    f.used = 0;
    return f.fd >= 0;
}

void writeLine(RecordFile& f, const char* line) {
    const size_t length = std::strlen(line);
    if (f.used + length > sizeof f.buffer) flushFile(f);
    if (f.fd < 0) return;
    std::memcpy(f.buffer + f.used, line, length);
    f.used += length;
}

void writeRun(Recorder& r) {
    if (r.runLength == 0) return;
    char keys[32], line[64];
    writeKeyNames(r.runKeys, keys);
    std::snprintf(line, sizeof line, "%" PRId64 " %s\n", r.runLength, keys);
    writeLine(r.file, line);
    r.runLength = 0;
}

void writeCheck(Recorder& r, const char* kind, const GameState& state) {
    char line[64];
    std::snprintf(line, sizeof line, "# %sframe %" PRId64 " state %016" PRIx64 "\n", kind, r.frames,
                  gameStateDigest(state));
    writeLine(r.file, line);
}

#ifndef _WIN32
bool sameFile(int fd, const std::string& path) {
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// True when another game holds PATH (a regular file) as its recording.
bool heldByAnotherGame(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

// The part file beside PATH, opened and locked for this game alone.
bool openPart(RecordFile& f, std::string& why) {
    const size_t slash = f.path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : f.path.substr(0, slash + 1);
    f.partPath = folder + "." + f.path.substr(folder.size()) + ".part";
    for (int attempt = 0; attempt < 3; ++attempt) {
        f.fd =
            open(f.partPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (f.fd < 0) {
            why = std::strerror(errno);
            return false;
        }
        struct stat info;
        if (flock(f.fd, LOCK_EX | LOCK_NB) != 0) {
            why = errno == EWOULDBLOCK ? "another game is recording into it" : std::strerror(errno);
        } else if (fstat(f.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            why = f.partPath + " is in the way";
        } else if (sameFile(f.fd, f.partPath)) {
            if (heldByAnotherGame(f.path)) {
                why = "another game is recording into it";
            } else if (ftruncate(f.fd, 0) == 0) {
                return true;
            } else {
                why = std::strerror(errno);
            }
            unlink(f.partPath.c_str());
            closeFile(f);
            return false;
        } else {
            closeFile(f);  // another game took it over meanwhile: try again
            continue;
        }
        closeFile(f);
        return false;
    }
    why = "another game is recording into it";
    return false;
}

// Makes the recording ready: straight into a device or a pipe, else into the part file.
bool openRecording(RecordFile& f, std::string& why) {
    struct stat named, target;
    const bool exists = lstat(f.path.c_str(), &named) == 0;
    const bool resolves = stat(f.path.c_str(), &target) == 0;
    if (resolves && S_ISDIR(target.st_mode)) {
        why = "it is a folder";
        return false;
    }
    if (exists && !f.overwrite) {
        why = "it exists already (--force writes over it)";
        return false;
    }
    if (resolves && (S_ISCHR(target.st_mode) || S_ISFIFO(target.st_mode))) {
        f.direct = f.published = true;
        f.fd = open(f.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (f.fd < 0) {
            why = errno == ENXIO ? "no program reads from it" : std::strerror(errno);
            return false;
        }
        fcntl(f.fd, F_SETFL, fcntl(f.fd, F_GETFL) & ~O_NONBLOCK);
        return true;
    }
    if (resolves && !S_ISREG(target.st_mode)) {
        why = "it is not a regular file";
        return false;
    }
    return openPart(f, why);
}

// The part file takes PATH's name: over the old one with --force (a link is replaced, not
// followed), and only where there is none without it.
bool publish(RecordFile& f, std::string& why) {
    if (f.overwrite ? rename(f.partPath.c_str(), f.path.c_str()) == 0
                    : renameat2(AT_FDCWD, f.partPath.c_str(), AT_FDCWD, f.path.c_str(),
                                RENAME_NOREPLACE) == 0)
        return true;
    if (!f.overwrite && errno != EEXIST && link(f.partPath.c_str(), f.path.c_str()) == 0) {
        unlink(f.partPath.c_str());
        return true;
    }
    why = errno == EEXIST ? "it appeared meanwhile" : std::strerror(errno);
    return false;
}

void discardPart(RecordFile& f) {
    if (!f.direct && !f.published && f.fd >= 0 && sameFile(f.fd, f.partPath))
        unlink(f.partPath.c_str());
}
#else
// Windows: the part file is opened deny-write, so that a second game cannot take it.
bool openRecording(RecordFile& f, std::string& why) {
    struct _stat info;
    const bool exists = _stat(f.path.c_str(), &info) == 0;
    if (exists && (info.st_mode & _S_IFDIR)) {
        why = "it is a folder";
        return false;
    }
    if (exists && !f.overwrite) {
        why = "it exists already (--force writes over it)";
        return false;
    }
    f.partPath = f.path + ".part";
    f.fd = _sopen(f.partPath.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _SH_DENYWR,
                  _S_IREAD | _S_IWRITE);
    if (f.fd < 0)
        why = errno == EACCES ? "another game is recording into it" : std::strerror(errno);
    return f.fd >= 0;
}

bool publish(RecordFile& f, std::string& why) {
    closeFile(f);
    const bool moved = MoveFileExA(f.partPath.c_str(), f.path.c_str(),
                                   f.overwrite ? MOVEFILE_REPLACE_EXISTING : 0) != 0;
    f.fd = _sopen((moved ? f.path : f.partPath).c_str(), _O_WRONLY | _O_APPEND | _O_BINARY,
                  _SH_DENYWR);
    if (!moved) why = f.overwrite ? "it cannot be replaced" : "it appeared meanwhile";
    return moved && f.fd >= 0;
}

void discardPart(RecordFile& f) {
    if (f.published) return;
    closeFile(f);
    _unlink(f.partPath.c_str());
}
#endif

// --- the recording platform ---

uint32_t recordKeys() {
    recorder.frameKeys = window->pollKeys.call();
    recorder.framePending = true;
    return recorder.frameKeys;
}

// The frame just played joins its run; every second the runs reach the disk.
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
        flushFile(r.file);
    }
}

bool recordBetweenFrames(bool gameInProgress) {
    {
        Held held(recorder.lock);
        endFrame(recorder);
        recorder.lastWhole = game;
    }
    return window->betweenFrames.call(gameInProgress);
}

}  // namespace

bool startRecording(const std::string& path, bool overwrite, std::string& why) {
    RecordFile& f = recorder.file;
    f.path = path;
    f.overwrite = overwrite;
    if (!openRecording(f, why)) return false;
    recorder.frames = recorder.runLength = 0;
    writeLine(f, recordingHeader.data());
    if (!flushFile(f)) {
        why = std::strerror(f.error);
        return false;
    }
    f.started = true;
    return true;
}

void publishRecording() {
    RecordFile& f = recorder.file;
    std::string why;
    if (f.fd < 0 || f.published) return;
    if (publish(f, why)) {
        f.published = true;
        return;
    }
    std::fprintf(stderr, "driftwing: cannot record into %s: %s; the game goes on unrecorded\n",
                 f.path.c_str(), why.c_str());
    discardPart(f);
    closeFile(f);
    f.failed = true;
}

void abandonRecording() {
    discardPart(recorder.file);
    closeFile(recorder.file);
}

int finishRecording() {
    Held held(recorder.lock);
    RecordFile& f = recorder.file;
    endFrame(recorder);
    writeRun(recorder);
    writeCheck(recorder, "end ", game);
    flushFile(f);
    if (f.fd >= 0 && close(f.fd) != 0) stopRecording(f, errno);
    f.fd = -1;
    return f.failed ? 1 : 0;
}

void rescueRecording() {
    Held held(recorder.lock);
    if (recorder.file.fd < 0) return;
    writeRun(recorder);
    writeCheck(recorder, "end ", recorder.lastWhole);
    flushFile(recorder.file);
    if (!recorder.file.published) discardPart(recorder.file);
}

bool readScriptFile(const std::string& path, std::string& text, std::string& why) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
#else
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
    struct stat info;
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    why = fstat(fd, &info) != 0                ? std::strerror(errno)
          : (info.st_mode & S_IFMT) == S_IFDIR ? "it is a folder"
          : (info.st_mode & S_IFMT) != S_IFREG ? "it is not a regular file"
          : info.st_size == 0                  ? "it is empty"
          : info.st_size > largestScript       ? "it is larger than 64 MiB"
                                               : "";
    if (why.empty()) {
        text.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const auto got = read(fd, &text[done], text.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        text.resize(done);
        if (done == 0) why = "it cannot be read";
    }
    close(fd);
    return why.empty();
}

namespace {
}  // namespace

// The real platform with its keys and its turn between frames taken over.
const Platform& recordingPlatform(const Platform& real) {
    window = &real;
    static Platform taken = real;
    taken.pollKeys = recordKeys;
    taken.betweenFrames = recordBetweenFrames;
    return taken;
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

int64_t StateChecker::firstDifference() const { return differs_.frame; }

bool StateChecker::reportDifference(const char* program, int64_t frames) const {
    if (differs_.frame >= 0) {
        std::fprintf(stderr,
                     "%s: this recording played out differently: frame %" PRId64 " of %" PRId64
                     " (the game's state is %016" PRIx64 ", the recording's %016" PRIx64 ")\n",
                     program, differs_.frame, frames, reached_, differs_.digest);
        return true;
    }
    if (checks_ && next_ < checks_->size()) {
        std::fprintf(stderr,
                     "%s: this recording notes the game's state at frame %" PRId64
                     ", but its keys end at frame %" PRId64 "\n",
                     program, (*checks_)[next_].frame, frames);
        return true;
    }
    return false;
}
