// trace.cpp -- formatting the game state as one JSON line per frame
#include "trace.h"

#include <charconv>
#include <cstring>

#include "state/fields.h"
#include "state/game_state.h"

namespace {
// Longest line: every integer of the state at its widest (11 characters for
// -2147483648) plus its separator, the brackets, the key names and a generous
// allowance for the sounds of one frame; sized once, never grown.
constexpr size_t integersPerLine =
    16 + scoreDigitCount + playerShotCount * 3 +
    diverCount * (7 + 5) + gunnerCount * (7 + 5 + gunnerShotCount * 3);
constexpr size_t soundsPerLineAllowance = 1024;
constexpr size_t lineCapacity =
    integersPerLine * 16 + 4096 + soundsPerLineAllowance * 64;
}  // namespace

TraceWriter::TraceWriter(std::FILE* out, int pictureWidth, int pictureHeight)
    : out_(out),
      width_(pictureWidth),
      height_(pictureHeight) {
    std::string before;
    for (int f = 0; f < gameStateFieldCount; ++f) {
        before += std::string(",\"") + gameStateFields[f].name + "\":";
        plan(gameStateFields[f], 0, before);
    }
    stateEnd_ = before;
    for (WaitingLine& line : waiting_) {
        line.text.resize(lineCapacity);
        line.pixels.resize(static_cast<size_t>(pictureWidth) * static_cast<size_t>(pictureHeight));
    }
}

bool TraceWriter::healthy() const {
    return !std::ferror(out_);
}

void TraceWriter::put(const char* text) {
    size_t n = std::strlen(text);
    std::memcpy(cursor_, text, n);
    cursor_ += n;
}

void TraceWriter::number(int64_t value) {
    cursor_ = std::to_chars(cursor_, cursor_ + 24, value).ptr;
}

void TraceWriter::key(const char* name) {
    if (!firstKey_) put(',');
    firstKey_ = false;
    put('"');
    put(name);
    put("\":");
}

// The text around a field of the record at OFFSET: an integer, a record as a row, or a
// table of either, as steps of the state's text (see TraceWriter::Step).
void TraceWriter::plan(const StateField& f, size_t offset, std::string& before) {
    size_t at = offset + f.offset;
    if (f.rows) before += '[';
    for (int row = 0; row < (f.rows ? f.rows : 1); ++row, at += f.stride) {
        if (row) before += ',';
        if (!f.fields) {
            Step step{static_cast<uint32_t>(at), static_cast<uint32_t>(prefixes_.size()),
                      static_cast<uint8_t>(before.size()), {}};
            if (before.size() <= sizeof step.text) {
                std::memcpy(step.text, before.data(), before.size());
            } else {
                prefixes_ += before;
            }
            steps_.push_back(step);
            before.clear();
            continue;
        }
        before += '[';
        for (int i = 0; i < f.fieldCount; ++i) {
            if (i) before += ',';
            plan(f.fields[i], at, before);
        }
        before += ']';
    }
    if (f.rows) before += ']';
}

void TraceWriter::writeFrame(int64_t frame, const std::vector<TracedSound>& sounds,
                             BITMAP* picture, bool quit) {
    WaitingLine& line = waiting_[waitingCount_++];
    formatLine(line, frame, sounds, quit);
    keepPicture(line, picture);
    if (waitingCount_ == hashLanes) writeWaitingLines();
}

void TraceWriter::finish() {
    writeWaitingLines();
}

// Compares the picture with the previous one; keeps a copy only when it differs.
void TraceWriter::keepPicture(WaitingLine& line, BITMAP* picture) {
    const size_t width = static_cast<size_t>(width_);
    const uint8_t* previous = havePrevious_ ? waiting_[previousSlot_].pixels.data() : nullptr;
    line.samePicture = previous != nullptr;
    for (int y = 0; line.samePicture && y < height_; ++y) {
        line.samePicture = std::memcmp(picture->line[y], previous + y * width, width) == 0;
    }
    if (line.samePicture) return;
    for (int y = 0; y < height_; ++y) {
        std::memcpy(&line.pixels[y * width], picture->line[y], width);
    }
    // A slot is only reused by a later line once its own line is written, and a line
    // that shows the same picture never needs the copy, so the copy stays valid.
    previousSlot_ = static_cast<int>(&line - waiting_);
    havePrevious_ = true;
}

// Hashes the waiting pictures side by side, fills in the digits, writes the lines in order.
void TraceWriter::writeWaitingLines() {
    const uint8_t* pictures[hashLanes];
    uint64_t hashes[hashLanes];
    int differing = 0;
    for (int i = 0; i < waitingCount_; ++i) {
        if (!waiting_[i].samePicture) pictures[differing++] = waiting_[i].pixels.data();
    }
    fnv1aSideBySide(pictures, differing, waiting_[0].pixels.size(), hashes);

    int next = 0;
    for (int i = 0; i < waitingCount_; ++i) {
        WaitingLine& line = waiting_[i];
        line.hash = line.samePicture ? previousHash_ : hashes[next++];
        previousHash_ = line.hash;
        uint64_t hash = line.hash;
        for (int d = 15; d >= 0; --d) {
            line.text[line.hashAt + d] = "0123456789abcdef"[hash & 0xf];
            hash >>= 4;
        }
        std::fwrite(line.text.data(), 1, line.length, out_);
    }
    waitingCount_ = 0;
}

void TraceWriter::formatLine(WaitingLine& line, int64_t frame,
                             const std::vector<TracedSound>& sounds, bool quit) {
    cursor_ = line.text.data();
    firstKey_ = true;
    put('{');
    key("frame");
    number(frame);

    // The game state, from the steps planned once: each integer with the text before it.
    const auto* state = reinterpret_cast<const unsigned char*>(&game);
    for (const Step& step : steps_) {
        if (step.prefixLength <= sizeof step.text) {
            std::memcpy(cursor_, step.text, sizeof step.text);  // one store; the rest overwritten
        } else {
            std::memcpy(cursor_, prefixes_.data() + step.prefixAt, step.prefixLength);
        }
        cursor_ += step.prefixLength;
        int32_t value;
        std::memcpy(&value, state + step.offset, sizeof value);
        number(value);
    }
    put(stateEnd_.c_str());

    key("sounds");
    put('[');
    size_t written = 0;
    for (const TracedSound& s : sounds) {
        if (written == soundsPerLineAllowance) break;  // never reached by the game
        if (written++) put(',');
        put("[\"");
        put(s.name);
        put("\",");
        number(s.volume);
        put(',');
        number(s.pan);
        put(',');
        number(s.frequency);
        put(',');
        number(s.loop);
        put(']');
    }
    put(']');

    key("pixels");
    put('"');
    line.hashAt = static_cast<size_t>(cursor_ - line.text.data());
    put("0000000000000000\"");

    if (quit) {
        key("quit");
        put("true");
    }
    put("}\n");
    line.length = static_cast<size_t>(cursor_ - line.text.data());
}
