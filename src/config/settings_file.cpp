// settings_file.cpp -- the settings file's lines read, changed in place and saved atomically
#include "config/settings_file.h"

#include <filesystem>

#include "system/io.h"

namespace {
enum class Kind { blank, comment, section, key, bad };

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
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

// Where `keyName` of `section` is: its line's index, a second such line's, and the index after
// the section's last key (or after its heading); -1 for what is not there.
void locate(const SettingsFile& file, std::string_view section, std::string_view keyName, int& keyLine,
            int& sectionEnd, std::string_view& value, int* againLine = nullptr) {
    keyLine = sectionEnd = -1;
    if (againLine) *againLine = -1;
    std::string_view current;  // keys before any heading are in the section ""
    for (size_t i = 0; i < file.lines.size(); ++i) {
        std::string_view name, text;
        const Kind kind = kindOf(file.lines[i], i == 0, name, text);
        if (kind == Kind::section) current = name;
        if (!sameName(current, section) || (kind != Kind::key && kind != Kind::section)) continue;
        if (kind == Kind::key && keyLine >= 0 && againLine && *againLine < 0 && sameName(name, keyName))
            *againLine = static_cast<int>(i);
        if (kind == Kind::key && keyLine < 0 && sameName(name, keyName)) {
            keyLine = static_cast<int>(i);
            value = text;
        }
        if (sectionEnd < 0 || kind == Kind::key) sectionEnd = static_cast<int>(i) + 1;
    }
}

// "\r" when the file's lines end with CR LF, so that a new line ends as they do.
std::string_view lineEnd(const SettingsFile& file) {
    for (const std::string& line : file.lines)
        if (!line.empty()) return line.back() == '\r' ? "\r" : "";
    return "";
}
}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

int SettingsFile::find(std::string_view section, std::string_view keyName,
                       std::string_view& value) const {
    int keyLine, sectionEnd;
    locate(*this, section, keyName, keyLine, sectionEnd, value);
    return keyLine + 1;
}

int SettingsFile::again(std::string_view section, std::string_view keyName) const {
    int keyLine, sectionEnd, againLine;
    std::string_view value;
    locate(*this, section, keyName, keyLine, sectionEnd, value, &againLine);
    return againLine + 1;
}

std::vector<int> SettingsFile::badLines() const {
    std::vector<int> bad;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name, value;
        if (kindOf(lines[i], i == 0, name, value) == Kind::bad) bad.push_back(int(i) + 1);
    }
    return bad;
}

void SettingsFile::set(std::string_view section, std::string_view keyName, std::string_view value) {
    int keyLine, sectionEnd;
    std::string_view old;
    locate(*this, section, keyName, keyLine, sectionEnd, old);
    const std::string_view ending = lineEnd(*this);
    std::string line = std::string(keyName) + " = " + std::string(value) + std::string(ending);
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
        if (!lines.empty() && !trimmed(lines.back()).empty()) lines.emplace_back(ending);
        lines.push_back("[" + std::string(section) + "]" + std::string(ending));
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
    std::string text;
    const ReadOutcome read = readWholeFile(path, largestSettingsFile, text, problem);
    if (read == ReadOutcome::read) file = settingsOfText(text);
    return read == ReadOutcome::read      ? SettingsRead::read
           : read == ReadOutcome::missing ? SettingsRead::missing
                                          : SettingsRead::refused;
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
    return replaceFile(target.string(), text, "another game is saving them", problem);
}
