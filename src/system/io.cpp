// io.cpp -- reading, writing and making files, and the child processes, on POSIX and Windows
#include "system/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "system/signals.h"

#ifdef _WIN32
#include <io.h>
#include <share.h>
// Allegro has a BITMAP of its own; Windows' is renamed on the way in.
#define BITMAP WINDOWS_BITMAP
#include <windows.h>
#undef BITMAP
#else
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifdef _WIN32  // flags Windows has no use for
#define O_CLOEXEC 0
#define O_NOFOLLOW 0
#define O_NONBLOCK 0
#define O_NOCTTY 0
#else
#define O_BINARY 0
#endif

bool interruptedOnly() { return errno == EINTR && !quitAsked(); }

namespace {
std::string sizeInWords(size_t bytes) {
    return bytes >= (size_t{1} << 20) ? std::to_string(bytes >> 20) + " MiB"
                                      : std::to_string(bytes >> 10) + " KiB";
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// PATH with "-N" before its extension: the N-th free name to try.
std::string numbered(const std::string& path, int n) {
    if (n <= 1) return path;
    const size_t dot = path.find_last_of('.'), slash = path.find_last_of("/\\");
    const size_t at = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                          ? path.size()
                          : dot;
    return path.substr(0, at) + "-" + std::to_string(n) + path.substr(at);
}

#ifndef _WIN32
bool sameAsOpen(int fd, const std::string& path) {
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// True when another program holds PATH (a regular file) locked as the file it is making.
bool heldByAnother(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// A new file at PATH, created exclusively: a file of that name left by a program that
// ended (unlocked) or a link there is removed first, never followed.
int createExclusively(const std::string& path, bool lock, const char* busy, std::string& why) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (!lock || flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
            ::close(fd);  // taken by another maker between our creation and our lock
            continue;
        }
        if (errno != EEXIST) break;
        struct stat there;
        if (lstat(path.c_str(), &there) != 0) continue;  // gone meanwhile
        if (!S_ISREG(there.st_mode) && !S_ISLNK(there.st_mode)) {
            why = path + " is in the way";
            return -1;
        }
        if (S_ISREG(there.st_mode) && lock) {
            fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
                ::close(fd);
                why = busy;
                return -1;
            }
            if (fd >= 0 && sameAsOpen(fd, path)) ::unlink(path.c_str());
            if (fd >= 0) ::close(fd);
        } else {
            ::unlink(path.c_str());  // a link, or a part file of ours left behind
        }
    }
    if (why.empty()) why = errno == EEXIST ? busy : std::strerror(errno);
    return -1;
}
#endif
}  // namespace

int closeFd(int& fd) {
    int result = 0;
    if (fd >= 0) result = ::close(fd);
    fd = -1;
    return result;
}

ReadOutcome readWholeFile(const std::string& path, size_t largest, std::string& text,
                          std::string& why) {
    // Not blocking: a FIFO or a device at that path is seen for what it is and not read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_BINARY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadOutcome::missing;
        why = std::strerror(errno);
        return ReadOutcome::refused;
    }
    struct stat info;
    why = fstat(fd, &info) != 0                          ? std::strerror(errno)
          : (info.st_mode & S_IFMT) == S_IFDIR           ? "it is a folder"
          : (info.st_mode & S_IFMT) != S_IFREG           ? "it is not a regular file"
          : static_cast<uint64_t>(info.st_size) > largest ? "it is larger than " + sizeInWords(largest)
                                                         : "";
    const bool read = why.empty() && readWholeStream(fd, largest, text, why);
    ::close(fd);
    return read ? ReadOutcome::read : ReadOutcome::refused;
}

bool readWholeStream(int fd, size_t largest, std::string& text, std::string& why) {
    text.clear();
    char block[65536];
    for (;;) {
        const auto got = ::read(fd, block, sizeof block);
        if (got < 0 && interruptedOnly()) continue;
        if (got < 0) {
            why = std::strerror(errno);
            return false;
        }
        if (got == 0) return true;
        text.append(block, static_cast<size_t>(got));
        if (text.size() > largest) {
            why = "it is larger than " + sizeInWords(largest);
            return false;
        }
    }
}

int writeAll(int fd, const void* bytes, size_t size) {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const auto wrote = ::write(fd, at, static_cast<unsigned>(size));
        if (wrote < 0 && interruptedOnly()) continue;
        if (wrote < 0) return errno;
        if (wrote == 0) return ENOSPC;
        at += wrote;
        size -= static_cast<size_t>(wrote);
    }
    return 0;
}

bool sameFile(const std::string& path, const std::string& other) {
#ifdef _WIN32
    return path == other;  // Windows' stat gives no file number: the names are compared
#else
    struct stat a, b;
    return stat(path.c_str(), &a) == 0 && stat(other.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
#endif
}

bool NewFile::begin(const std::string& path, Existing existing, const char* busy,
                    std::string& why, bool straightIntoDevices) {
    discard();
    path_ = path;
    existing_ = existing;
    error_ = 0;
    direct_ = published_ = false;
    const std::string folder = folderOf(path);
    partPath_ = folder + "." + path.substr(folder.size()) + ".part";
    struct stat named, target;
#ifdef _WIN32
    (void)straightIntoDevices;
    const bool exists = stat(path.c_str(), &named) == 0;
    const bool resolves = exists;
    target = named;
#else
    const bool exists = lstat(path.c_str(), &named) == 0;
    const bool resolves = stat(path.c_str(), &target) == 0;
#endif
    if (resolves && (target.st_mode & S_IFMT) == S_IFDIR) {
        why = "it is a folder";
        return false;
    }
    if (exists && existing == Existing::refuse) {
        why = "it exists already (--force writes over it)";
        return false;
    }
#ifndef _WIN32
    if (exists && existing == Existing::replace && S_ISREG(target.st_mode) && heldByAnother(path)) {
        why = busy;
        return false;
    }
    if (resolves && straightIntoDevices && existing == Existing::replace &&
        (S_ISCHR(target.st_mode) || S_ISFIFO(target.st_mode))) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            why = errno == ENXIO ? "no program reads from it" : std::strerror(errno);
            return false;
        }
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        direct_ = published_ = true;
        return true;
    }
    if (resolves && !S_ISREG(target.st_mode)) {
        why = "it is not a regular file";
        return false;
    }
#endif
    return makePart(busy, why);
}

bool NewFile::makePart(const char* busy, std::string& why) {
#ifdef _WIN32
    // The part file is opened deny-write, so that a second program cannot take it.
    fd_ = _sopen(partPath_.c_str(), _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY, _SH_DENYWR,
                 _S_IREAD | _S_IWRITE);
    if (fd_ < 0) why = errno == EACCES ? busy : std::strerror(errno);
#else
    fd_ = createExclusively(partPath_, true, busy, why);
#endif
    if (fd_ >= 0) noteLeftover(partPath_.c_str());
    return fd_ >= 0;
}

bool NewFile::beginSide(const char* suffix, std::string& sidePath, int& fd, std::string& why) {
    sidePath = partPath_ + "." + suffix;
#ifdef _WIN32
    fd = _sopen(sidePath.c_str(), _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY, _SH_DENYWR,
                _S_IREAD | _S_IWRITE);
    if (fd < 0) why = std::strerror(errno);
#else
    fd = createExclusively(sidePath, false, "", why);
#endif
    if (fd < 0) return false;
    noteLeftover(sidePath.c_str());
    sides_.push_back(sidePath);
    sideFds_.push_back(fd);
    return true;
}

bool NewFile::write(const void* bytes, size_t size) {
    if (fd_ < 0 || error_) return false;
    error_ = writeAll(fd_, bytes, size);
    return error_ == 0;
}

void NewFile::truncateTo(int64_t size) {
#ifdef _WIN32
    const bool cut = fd_ < 0 || direct_ || _chsize_s(fd_, size) == 0;
#else
    const bool cut = fd_ < 0 || direct_ || ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
#endif
    if (!cut) {
        // What is left of a cut line is passed over when the file is read.
    }
}

#ifdef _WIN32
// Windows renames no open file: it is closed, moved, and opened again to go on.
bool NewFile::moveIntoPlace(std::string& why) {
    closeFd(fd_);
    std::string name;
    bool moved = false;
    for (int n = 1; !moved && n <= 999; ++n) {
        name = numbered(path_, n);
        moved = MoveFileExA(partPath_.c_str(), name.c_str(),
                            existing_ == Existing::replace
                                ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
                                : 0) != 0;
        if (existing_ != Existing::nextFreeName) break;
    }
    fd_ = _sopen((moved ? name : partPath_).c_str(), _O_WRONLY | _O_APPEND | _O_BINARY,
                 _SH_DENYWR);
    if (!moved) {
        why = existing_ == Existing::replace ? "it cannot be replaced" : "it appeared meanwhile";
        return false;
    }
    path_ = name;
    return true;
}
#else
// The part file takes PATH's name (over the old one with replace: a link is replaced, not
// followed), or the first free name, never one that appeared meanwhile.
bool NewFile::moveIntoPlace(std::string& why) {
    struct stat old;
    if (existing_ == Existing::replace && stat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        fchmod(fd_, old.st_mode & 07777) != 0) {
        why = std::strerror(errno);
        return false;
    }
    bool moved = false;
    for (int n = 1; !moved && n <= 999; ++n) {
        const std::string name = numbered(path_, n);
        if (existing_ == Existing::replace) {
            moved = std::rename(partPath_.c_str(), name.c_str()) == 0;
        } else {
#ifdef RENAME_NOREPLACE
            moved = renameat2(AT_FDCWD, partPath_.c_str(), AT_FDCWD, name.c_str(),
                              RENAME_NOREPLACE) == 0;
#else
            errno = ENOSYS;  // no such rename here: the second name below
#endif
            // A file system without that kind of rename: a second name, then the part's goes.
            if (!moved && errno != EEXIST && link(partPath_.c_str(), name.c_str()) == 0) {
                ::unlink(partPath_.c_str());
                moved = true;
            }
        }
        if (moved) path_ = name;
        if (moved || errno != EEXIST || existing_ != Existing::nextFreeName) break;
    }
    if (!moved) why = errno == EEXIST ? "it appeared meanwhile" : std::strerror(errno);
    return moved;
}
#endif

bool NewFile::publish(std::string& why, bool sync) {
    if (published_) return true;
#ifdef _WIN32
    const bool synced = !sync || _commit(fd_) == 0;
#else
    const bool synced = !sync || fsync(fd_) == 0;
#endif
    if (!synced) {
        why = std::strerror(errno);
        return false;
    }
    if (!moveIntoPlace(why)) return false;
    forgetLeftover(partPath_.c_str());
    published_ = true;
    return true;
}

bool NewFile::close(std::string& why) {
    const bool wasOpen = fd_ >= 0;
    if (closeFd(fd_) != 0 && wasOpen && !error_) error_ = errno;
    if (error_) why = std::strerror(error_);
    return error_ == 0;
}

void NewFile::discard() {
    for (size_t i = 0; i < sides_.size(); ++i) {
        closeFd(sideFds_[i]);
        ::unlink(sides_[i].c_str());
        forgetLeftover(sides_[i].c_str());
    }
    sides_.clear();
    sideFds_.clear();
    if (fd_ >= 0 && !published_) {
#ifdef _WIN32
        closeFd(fd_);
        ::_unlink(partPath_.c_str());
#else
        if (sameAsOpen(fd_, partPath_)) ::unlink(partPath_.c_str());
#endif
        forgetLeftover(partPath_.c_str());
    }
    closeFd(fd_);
}

bool replaceFile(const std::string& path, std::string_view text, const char* busy,
                 std::string& why) {
    NewFile file;
    if (!file.begin(path, NewFile::Existing::replace, busy, why)) return false;
    if (!file.write(text.data(), text.size())) {
        why = std::strerror(file.error());
        return false;
    }
    return file.publish(why, true) && file.close(why);
}

