// trace.cpp -- formatting the game state as one JSON line per frame
#include "trace.h"

#include <charconv>
#include <cstring>

#include "state/game_state.h"

namespace {
constexpr uint64_t fnvOffsetBasis = 14695981039346656037ull;
constexpr uint64_t fnvPrime = 1099511628211ull;

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

uint64_t pictureHash(BITMAP* picture) {
    uint64_t hash = fnvOffsetBasis;
    for (int y = 0; y < picture->h; ++y) {
        const unsigned char* row = picture->line[y];
        for (int x = 0; x < picture->w; ++x) {
            hash ^= row[x];
            hash *= fnvPrime;
        }
    }
    return hash;
}

TraceWriter::TraceWriter(std::FILE* out) : out_(out), buffer_(lineCapacity) {}

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

void TraceWriter::row(std::initializer_list<int32_t> values) {
    put('[');
    bool first = true;
    for (int32_t v : values) {
        if (!first) put(',');
        first = false;
        number(v);
    }
    put(']');
}

void TraceWriter::writeFrame(int64_t frame, const std::vector<TracedSound>& sounds,
                             BITMAP* picture, bool quit) {
    cursor_ = buffer_.data();
    firstKey_ = true;
    put('{');
    key("frame");
    number(frame);

    const struct {
        const char* name;
        int32_t value;
    } fields[] = {
        {"gameMode", game.gameMode},       {"stepTick", game.stepTick},
        {"titleBlinkTick", game.titleBlinkTick}, {"backdropScroll", game.backdropScroll},
        {"scrollY", game.scrollY},         {"topRow", game.topRow},
        {"shipOffsetX", game.shipOffsetX}, {"shipOffsetY", game.shipOffsetY},
        {"shipX", game.shipX},             {"shipY", game.shipY},
        {"glideDir", game.glideDir},       {"shipFrame", game.shipFrame},
        {"shipFrameTick", game.shipFrameTick}, {"fireTick", game.fireTick},
        {"shotCursor", game.shotCursor},
    };
    for (const auto& f : fields) {
        key(f.name);
        number(f.value);
    }

    key("scoreDigits");
    put('[');
    for (int i = 0; i < scoreDigitCount; ++i) {
        if (i) put(',');
        number(game.scoreDigits[i]);
    }
    put(']');

    key("playerShots");
    put('[');
    for (int i = 0; i < playerShotCount; ++i) {
        const PlayerShot& s = game.playerShots[i];
        if (i) put(',');
        row({s.state, s.x, s.y});
    }
    put(']');

    key("divers");
    put('[');
    for (int i = 0; i < diverCount; ++i) {
        const Diver& d = game.divers[i];
        const Explosion& e = d.explosion;
        if (i) put(',');
        row({d.phase, d.tick, d.offsetX, d.offsetY, d.x, d.y, d.state});
        cursor_[-1] = ',';  // continue the row with the explosion
        row({e.frame, e.x, e.y, e.active, e.tick});
        put(']');
    }
    put(']');

    key("gunners");
    put('[');
    for (int i = 0; i < gunnerCount; ++i) {
        const Gunner& g = game.gunners[i];
        const Explosion& e = g.explosion;
        if (i) put(',');
        row({g.tick, g.frame, g.frameTick, g.offsetX, g.x, g.y, g.state});
        cursor_[-1] = ',';
        row({e.frame, e.x, e.y, e.active, e.tick});
        put(",[");
        for (int j = 0; j < gunnerShotCount; ++j) {
            const GunnerShot& s = g.shots[j];
            if (j) put(',');
            row({s.state, s.x, s.y});
        }
        put("]]");
    }
    put(']');

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
    char hex[17];
    uint64_t hash = pictureHash(picture);
    for (int i = 15; i >= 0; --i) {
        hex[i] = "0123456789abcdef"[hash & 0xf];
        hash >>= 4;
    }
    hex[16] = '\0';
    put(hex);
    put('"');

    if (quit) {
        key("quit");
        put("true");
    }
    put("}\n");
    std::fwrite(buffer_.data(), 1, static_cast<size_t>(cursor_ - buffer_.data()), out_);
}
