// settings_file.cpp -- the settings file's lines read, changed in place and saved atomically
#include "platform/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

namespace {
enum class Kind { blank, comment, section, key, bad };

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// What one line is; `name` is the section's or the key's name, `value` the key's value.
Kind kindOf(std::string_view line, bool first, std::string_view& name, std::string_view& value) {
    if (first && line.substr(0, 3) == "\xef\xbb\xbf") line.remove_prefix(3);
    line = trimmed(line);
    if (line.empty()) return Kind::blank;
    if (line[0] == '#') return Kind::comment;
    if (line[0] == '[') {
        name = trimmed(line.substr(1, line.size() - 2));
        return line.back() == ']' && !name.empty() ? Kind::section : Kind::bad;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Kind::bad;
    name = trimmed(line.substr(0, equals));
    value = trimmed(line.substr(equals + 1));
    for (char c : name)
        if (isBlank(c) || c == '[' || c == ']') return Kind::bad;
    return name.empty() ? Kind::bad : Kind::key;
}

// Where `key` of `section` is: its line's index, and the index after the section's last
// key (or after its heading); -1 for what is not there.
void locate(const SettingsFile& file, std::string_view section, std::string_view key, int& keyLine,
            int& sectionEnd, std::string_view& value) {
    keyLine = sectionEnd = -1;
    std::string_view current;  // keys before any heading are in the section ""
    for (size_t i = 0; i < file.lines.size(); ++i) {
        std::string_view name, text;
        const Kind kind = kindOf(file.lines[i], i == 0, name, text);
        if (kind == Kind::section) current = name;
        if (!sameName(current, section) || (kind != Kind::key && kind != Kind::section)) continue;
        if (kind == Kind::key && keyLine < 0 && sameName(name, key)) {
            keyLine = static_cast<int>(i);
            value = text;
        }
        if (sectionEnd < 0 || kind == Kind::key) sectionEnd = static_cast<int>(i) + 1;
    }
}

std::string reason(int error) { return std::strerror(error); }
}  // namespace

int SettingsFile::find(std::string_view section, std::string_view key,
                       std::string_view& value) const {
    int keyLine, sectionEnd;
    locate(*this, section, key, keyLine, sectionEnd, value);
    return keyLine + 1;
}

std::vector<int> SettingsFile::badLines() const {
    std::vector<int> bad;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name, value;
        if (kindOf(lines[i], i == 0, name, value) == Kind::bad) bad.push_back(int(i) + 1);
    }
    return bad;
}

void SettingsFile::set(std::string_view section, std::string_view key, std::string_view value) {
    int keyLine, sectionEnd;
    std::string_view old;
    locate(*this, section, key, keyLine, sectionEnd, old);
    std::string line = std::string(key) + " = " + std::string(value);
    if (keyLine >= 0) {
        // Only the value changes: the key's spelling, the blanks, the line's end stay.
        const std::string& was = lines[keyLine];
        size_t start = was.find('=') + 1, end = was.size();
        while (start < end && isBlank(was[start])) ++start;
        while (end > start && isBlank(was[end - 1])) --end;
        line = was.substr(0, start) + std::string(value) + was.substr(end);
        lines[keyLine] = line;
        return;
    }
    if (sectionEnd < 0) {
        if (!lines.empty() && !trimmed(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        sectionEnd = static_cast<int>(lines.size());
    }
    lines.insert(lines.begin() + sectionEnd, line);
    if (sectionEnd == static_cast<int>(lines.size()) - 1) lastLineEnded = true;
}

std::string SettingsFile::text() const {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i + 1 < lines.size() || lastLineEnded) out += '\n';
    }
    return out;
}

SettingsFile settingsOfText(std::string_view text) {
    SettingsFile file;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        file.lines.emplace_back(text.substr(0, end));
        file.lastLineEnded = end != std::string_view::npos;
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return file;
}

SettingsRead readSettingsFile(const std::string& path, SettingsFile& file, std::string& problem) {
    // Not blocking: a FIFO or a device at that path is seen for what it is and not read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_BINARY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return SettingsRead::missing;
        problem = reason(errno);
        return SettingsRead::refused;
    }
    struct stat about;
    std::string text;
    if (fstat(fd, &about) != 0) {
        problem = reason(errno);
    } else if (!S_ISREG(about.st_mode)) {
        problem = "it is not a regular file";
    } else if (static_cast<unsigned long long>(about.st_size) > largestSettingsFile) {
        problem = "it is over 64 KB";
    } else {
        char block[4096];
        while (problem.empty()) {
            const auto got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) problem = reason(errno);
            if (got <= 0) break;
            text.append(block, static_cast<size_t>(got));
            if (text.size() > largestSettingsFile) problem = "it is over 64 KB";
        }
    }
    ::close(fd);
    if (!problem.empty()) return SettingsRead::refused;
    file = settingsOfText(text);
    return SettingsRead::read;
}

bool writeSettingsFile(const std::string& path, std::string_view text, std::string& problem) {
    // A link (settings kept elsewhere) stays a link: the file it leads to is replaced.
    std::error_code failed;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(target, failed)) {
        const std::filesystem::path real = std::filesystem::canonical(target, failed);
        if (!failed) target = real;
    }
    std::filesystem::create_directories(target.parent_path(), failed);
    if (failed) {
        problem = failed.message();
        return false;
    }
    // A new name beside the file, never one in use: the process and a count.
    static unsigned count = 0;
    std::string temporary;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%ld-%u", static_cast<long>(getpid()), count++);
        temporary = target.string() + suffix;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        problem = reason(errno);
        return false;
    }
    int error = 0;
    for (size_t done = 0; done < text.size() && !error;) {
        const auto wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno != EINTR) error = errno;
        if (wrote > 0) done += static_cast<size_t>(wrote);
    }
#ifdef _WIN32
    if (!error && _commit(fd) != 0) error = errno;
#else
    if (!error && fsync(fd) != 0) error = errno;
#endif
    if (::close(fd) != 0 && !error) error = errno;
#ifdef _WIN32
    if (!error && !MoveFileExA(temporary.c_str(), target.string().c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
#else
    if (!error && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
#endif
    if (error) {
        std::remove(temporary.c_str());
        problem = reason(error);
        return false;
    }
    return true;
}
