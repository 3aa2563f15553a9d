// make_soak_script.cpp -- writes a long pseudo-random key script for soaking the game:
// key combinations held for random lengths, with S pressed often enough that games
// start, end and restart thousands of times, and never Escape, so the run lasts.
//
// usage: make-soak-script FRAMES SEED > script.keys
// The same FRAMES and SEED always give the same script, on any machine.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
// splitmix64: small, well mixed, and the same everywhere.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // A whole number in [0, n).
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
};

// How long a combination is held: mostly a tap or a short burst, sometimes a long
// stretch in which a game can run to its end or to the level end.
uint32_t holdLength(Random& random) {
    uint32_t kind = random.below(100);
    if (kind < 45) return 1 + random.below(8);
    if (kind < 90) return 8 + random.below(90);
    if (kind < 99) return 100 + random.below(400);
    return 500 + random.below(3000);
}

std::string keyCombination(Random& random) {
    static const char* const names[] = {"LEFT", "RIGHT", "UP", "DOWN", "SPACE"};
    std::string keys;
    for (const char* name : names) {
        if (random.below(100) < 30) keys += keys.empty() ? name : std::string("+") + name;
    }
    // S on half the lines: a new game soon after the last one ends.
    if (random.below(100) < 50) keys += keys.empty() ? "S" : "+S";
    return keys.empty() ? "-" : keys;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-soak-script FRAMES SEED\n");
        return 2;
    }
    long long frames = std::atoll(argv[1]);
    Random random{std::strtoull(argv[2], nullptr, 10)};
    if (frames < 1) {
        std::fprintf(stderr, "make-soak-script: FRAMES must be at least 1\n");
        return 2;
    }
    std::printf("# soak: %lld frames, seed %s\n", frames, argv[2]);
    while (frames > 0) {
        long long hold = holdLength(random);
        if (hold > frames) hold = frames;
        std::printf("%lld %s\n", hold, keyCombination(random).c_str());
        frames -= hold;
    }
    return 0;
}
