// settings_file.h -- the settings file as the text it is, read without blocking and saved whole
//
// The file is plain text in lines: "[section]" starts a section, "key = value" sets a key
// in it (blanks around '=' and the ends are not part of either), '#' starts a
// comment, and blank lines are skipped; a UTF-8 byte-order mark at the start and CR
// before a newline are allowed. Sections and keys are matched without regard to case.
// Saving changes only the lines of the keys set and keeps every other byte as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The largest settings file read: anything larger is not a settings file of ours.
constexpr size_t largestSettingsFile = 64 * 1024;

struct SettingsFile {
    std::vector<std::string> lines;  // without their '\n'
    bool lastLineEnded = true;       // the text ended with '\n' (or was empty)

    // The number (from 1) of the line setting `key` in `section`, its first such line; 0
    // when there is none. `value` is its value then.
    int find(std::string_view section, std::string_view key, std::string_view& value) const;
    // The lines that are neither a key, a section, a comment nor blank, numbered from 1.
    std::vector<int> badLines() const;
    // Sets `key` in `section` to `value`: on its line, else after the section's last key,
    // else in a new section at the end.
    void set(std::string_view section, std::string_view key, std::string_view value);
    // The whole text again.
    std::string text() const;
};

// Splits a text into lines (the byte-order mark kept on the first: it is no key).
SettingsFile settingsOfText(std::string_view text);

enum class SettingsRead { missing, read, refused };

// Called when the settings are loaded and before they are saved: reads the file at `path`
// without waiting on it. missing: no such file (or no such folder); refused: `problem`
// says why it was not read (not a regular file, over 64 KB, a read error).
SettingsRead readSettingsFile(const std::string& path, SettingsFile& file, std::string& problem);

// Called to save the settings: writes `text` into a new file beside `path`, checking every
// write, and moves it over `path` in one step, so that `path` holds either its old text
// or the new one whatever happens meanwhile. False with `problem` (strerror's words) when
// it could not; no new file is left behind then.
bool writeSettingsFile(const std::string& path, std::string_view text, std::string& problem);
