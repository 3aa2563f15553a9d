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
    // The number of a second line setting `key` in `section` (the first one stands); 0 when
    // there is none.
    int again(std::string_view section, std::string_view key) const;
    // The lines that are neither a key, a section, a comment nor blank, numbered from 1.
    std::vector<int> badLines() const;
    // Sets `key` in `section` to `value`: on its line, else after the section's last key,
    // else in a new section at the end; a new line ends as the file's lines do (CR LF or LF).
    void set(std::string_view section, std::string_view key, std::string_view value);
    // The whole text again.
    std::string text() const;
};

// Splits a text into lines (the byte-order mark kept on the first: it is no key).
SettingsFile settingsOfText(std::string_view text);

enum class SettingsRead { missing, read, refused };

// Called when the settings are loaded and before they are saved: reads the file at `path`
// without waiting on it. missing: no such file (or no such folder); refused: `problem`
// says why it was not read (not a regular file, over 64 KiB, a read error).
SettingsRead readSettingsFile(const std::string& path, SettingsFile& file, std::string& problem);

// Whether two section or key names are the same: ASCII letters in either case.
bool sameName(std::string_view a, std::string_view b);

// Called to save the settings: `text` replaces the file whole in one step (the file a link
// leads to, when `path` is a link; its permissions kept), its folder made as needed. False
// with `problem` when it could not; the file is as it was then.
bool writeSettingsFile(const std::string& path, std::string_view text, std::string& problem);
