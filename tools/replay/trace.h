// trace.h -- one JSON line of game state per frame, written by hand into a reused buffer
#pragma once

#include <allegro.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "picture_hash.h"
#include "state/fields.h"

// One sound the game started, as the headless platform hands it over.
struct TracedSound {
    const char* name;  // "music", "shot" or "blast"; static storage
    int volume, pan, frequency, loop;
};

class TraceWriter {
public:
    // Writes to `out` (not owned, not closed), for pictures of the given size.
    // Every buffer is taken once here; writing a line allocates nothing.
    TraceWriter(std::FILE* out, int pictureWidth, int pictureHeight);

    // Called by the runner after frame 0's set-up and after every frame: the state of
    // `game`, the sounds started since the previous line, the hash of the picture,
    // and "quit": true when this frame saw Escape. Lines wait in groups of four, so
    // that four pictures can be hashed side by side; they reach `out` in order.
    void writeFrame(int64_t frame, const std::vector<TracedSound>& sounds, BITMAP* picture,
                    bool quit);

    // Called once after the last frame: writes the lines still waiting for their hash.
    void finish();

    // True while every line so far reached the stream without an error.
    bool healthy() const;

private:
    // A line waiting for the hash of its picture.
    struct WaitingLine {
        std::vector<char> text;       // the whole line; the hash's 16 digits still blank
        size_t length = 0;
        size_t hashAt = 0;            // where the 16 digits go
        std::vector<uint8_t> pixels;  // the picture's rows end to end (unless samePicture)
        bool samePicture = false;     // the picture equals the previous line's
        uint64_t hash = 0;
    };

    void formatLine(WaitingLine& line, int64_t frame, const std::vector<TracedSound>& sounds,
                    bool quit);
    void keepPicture(WaitingLine& line, BITMAP* picture);
    void writeWaitingLines();

    void put(char c) { *cursor_++ = c; }
    void put(const char* text);
    void number(int64_t value);
    void key(const char* name);  // ,"name": (the comma only after the first key)
    void plan(const StateField& f, size_t offset, std::string& before);

    std::FILE* out_;
    int width_, height_;
    int previousSlot_ = 0;       // the waiting slot whose pixels hold the latest picture
    bool havePrevious_ = false;
    uint64_t previousHash_ = 0;  // hash of the last line written
    WaitingLine waiting_[hashLanes];
    int waitingCount_ = 0;
    // The game state's part of a line, planned once from its field table: for each
    // integer, the text before it and where it lies in the state. The text is a comma
    // and brackets, 4 bytes at most, held in the step, or else (a key) in prefixes_.
    struct Step {
        uint32_t offset;
        uint32_t prefixAt;  // in prefixes_, when prefixLength > 4
        uint8_t prefixLength;
        char text[4];
    };
    std::vector<Step> steps_;
    std::string prefixes_, stateEnd_;
    char* cursor_ = nullptr;
    bool firstKey_ = true;
};
