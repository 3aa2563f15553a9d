// trace.h -- one JSON line of game state per frame, written by hand into a reused buffer
#pragma once

#include <allegro.h>

#include <cstdint>
#include <cstdio>
#include <vector>

// One sound the game started, as the headless platform hands it over.
struct TracedSound {
    const char* name;  // "music", "shot" or "blast"; static storage
    int volume, pan, frequency, loop;
};

// 64-bit FNV-1a over the picture's width x height pixel bytes, row by row.
uint64_t pictureHash(BITMAP* picture);

class TraceWriter {
public:
    // Writes to `out` (not owned, not closed). The buffer is sized once here.
    explicit TraceWriter(std::FILE* out);

    // Called by the runner after frame 0's set-up and after every frame: the state of
    // `game`, the sounds started since the previous line, the picture's hash, and
    // "quit": true when this frame saw Escape.
    void writeFrame(int64_t frame, const std::vector<TracedSound>& sounds, BITMAP* picture,
                    bool quit);

    // True while every line so far reached the stream without an error.
    bool healthy() const;

private:
    void put(char c) { *cursor_++ = c; }
    void put(const char* text);
    void number(int64_t value);
    void key(const char* name);  // ,"name": (the comma only after the first key)
    void row(std::initializer_list<int32_t> values);

    std::FILE* out_;
    std::vector<char> buffer_;
    char* cursor_ = nullptr;
    bool firstKey_ = true;
};
