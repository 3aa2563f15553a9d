// io.h -- the machine's files, pipes and child processes: the one way every feature reads,
// writes and makes them
//
// Every read and write here goes on after a short count or an interruption (unless a quit
// was asked, system/signals.h), and every failure comes back as strerror's words. A new
// file is made under a part name beside it, created exclusively and never through a link,
// and takes its name only when it is whole; a part file is removed on failure and noted so
// that a signal removes it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ReadOutcome { read, missing, refused };

// After a call failed: true when only a signal interrupted it and no quit was asked, so
// that it is to be made again.
bool interruptedOnly();

// Reads the whole regular file at PATH, at most LARGEST bytes, without blocking on a pipe or
// a device. missing: no such file (or folder); refused: WHY says why ("it is a folder", "it
// is not a regular file", "it is larger than 64 MiB", or strerror's words).
ReadOutcome readWholeFile(const std::string& path, size_t largest, std::string& text,
                          std::string& why);

// Reads an open descriptor (standard input) to its end, at most LARGEST bytes.
bool readWholeStream(int fd, size_t largest, std::string& text, std::string& why);

// Writes all of BYTES to FD; 0, or the errno of the write that failed.
int writeAll(int fd, const void* bytes, size_t size);

// Closes FD when it is open and marks it closed (-1); close's result.
int closeFd(int& fd);

// A file being made: written under its part name ".NAME.part" beside PATH, and given PATH's
// name by publish. Destroying it discards what is not published.
class NewFile {
public:
    // What to do when PATH exists: refuse, replace it (a link is replaced, not followed; the
    // old file's permissions are kept), or take the next free name (NAME-2.EXT, -3 ...).
    enum class Existing { refuse, replace, nextFreeName };

    NewFile() = default;
    ~NewFile() { discard(); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Makes the part file, locked against another program making the same file. A device or
    // a pipe at PATH (with replace and straightIntoDevices) is written straight into. False
    // with WHY: "it exists already (--force writes over it)", "it is a folder", "it is not a
    // regular file", "no program reads from it", BUSY (another program is making it), or
    // strerror's words.
    bool begin(const std::string& path, Existing existing, const char* busy, std::string& why,
               bool straightIntoDevices = false);
    // Another part file of the same job, ".NAME.part.SUFFIX", made exclusively: its path and
    // descriptor (owned here), or false with WHY.
    bool beginSide(const char* suffix, std::string& sidePath, int& fd, std::string& why);
    // Writes all of BYTES; false once any write has failed (error() says how).
    bool write(const void* bytes, size_t size);
    // After a failed write: the file cut back to SIZE bytes, what was whole.
    void truncateTo(int64_t size);
    // The part file takes PATH's name (or the next free one); it stays open for more writes.
    // With SYNC the bytes reach the disk first. False with WHY ("it appeared meanwhile").
    bool publish(std::string& why, bool sync = false);
    // Closes the file; false (with WHY) when the last bytes could not be written.
    bool close(std::string& why);
    // The part files removed (unless published) and everything closed.
    void discard();

    bool open() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    int error() const { return error_; }
    bool published() const { return published_; }
    bool direct() const { return direct_; }
    const std::string& path() const { return path_; }
    const std::string& partPath() const { return partPath_; }

private:
    bool makePart(const char* busy, std::string& why);
    bool moveIntoPlace(std::string& why);

    std::string path_, partPath_;
    std::vector<std::string> sides_;
    std::vector<int> sideFds_;
    Existing existing_ = Existing::refuse;
    int fd_ = -1;
    int error_ = 0;
    bool direct_ = false;
    bool published_ = false;
};

// Replaces the file at PATH whole (a link's target, when PATH is a link), keeping its
// permissions: PATH holds either its old text or TEXT, whatever happens meanwhile.
bool replaceFile(const std::string& path, std::string_view text, const char* busy,
                 std::string& why);

// True when PATH and the open file FD are the same file.
bool sameFile(const std::string& path, const std::string& other);

// A program started by the runner (ffmpeg), noted so that a quit ends it.
struct Child {
    long pid = -1;
    int input = -1;  // a pipe to its standard input, or -1
};

// The full path of PROGRAM on PATH, or empty.
std::string findProgram(const char* program);

// Starts PROGRAM with ARGS (ARGS[0] its name), a pipe to its standard input, its standard
// output and error into LOG, and the files FILES open for it as descriptors 3, 4, ... (so
// that it reaches them as /dev/fd/3 ..., never through a name). False with WHY.
bool startChild(const std::string& program, const std::vector<std::string>& args, int log,
                const std::vector<int>& files, Child& child, std::string& why);

// Closes its input and waits for it: its exit code, or -1 when a signal ended it. With
// END it is asked to stop first (SIGTERM; SIGKILL after a second).
int finishChild(Child& child, bool end);
