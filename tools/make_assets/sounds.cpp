// sounds.cpp -- synthesising the game's sounds: oscillators, envelopes, a tiny sequencer
#include "sounds.h"

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace art {
namespace {

// Noise from a fixed formula, so every build gets the same hiss.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double next() {  // [-1, 1)
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t state_;
};

// The correction that takes the harsh corner off a jump in a pulse wave (polyBLEP).
double blep(double phase, double step) {
    if (phase < step) {
        double t = phase / step;
        return t + t - t * t - 1;
    }
    if (phase > 1 - step) {
        double t = (phase - 1) / step;
        return t * t + t + t + 1;
    }
    return 0;
}

// A pulse wave with the given duty cycle at phase 0..1 advancing by step per sample.
double pulse(double phase, double step, double duty) {
    double v = phase < duty ? 1.0 : -1.0;
    v += blep(phase, step);
    double shifted = phase - duty + (phase < duty ? 1 : 0);
    v -= blep(shifted, step);
    return v;
}

double triangleWave(double phase) { return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase; }

// Scales a mix so its loudest sample is peak of full scale, and rounds it to 16 bits.
std::vector<short> toPcm(const std::vector<double>& mix, double peak) {
    double loudest = 1e-9;
    for (double v : mix) loudest = std::fmax(loudest, std::fabs(v));
    std::vector<short> out(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        out[i] = static_cast<short>(std::lround(mix[i] / loudest * peak * 32767));
    return out;
}

double noteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

}  // namespace

std::vector<short> makeShotSound() {
    const int n = static_cast<int>(0.2 * sampleRate);
    std::vector<double> mix(n);
    Noise noise(7);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / sampleRate;
        double hz = 250 + 1300 * std::exp(-t * 22);
        double step = hz / sampleRate;
        phase += step;
        if (phase >= 1) phase -= 1;
        double duty = 0.5 - 0.3 * (i / static_cast<double>(n));
        double env =
            std::fmin(1.0, t / 0.002) * std::exp(-t * 14) * (1 - i / static_cast<double>(n));
        double hiss = t < 0.015 ? noise.next() * 0.5 * (1 - t / 0.015) : 0;
        mix[i] = (pulse(phase, step, duty) * 0.8 + hiss) * env;
    }
    return toPcm(mix, shotPeak);
}

std::vector<short> makeBlastSound() {
    const int n = static_cast<int>(0.9 * sampleRate);
    std::vector<double> mix(n);
    Noise noise(99), crackle(1234);
    double low = 0, lower = 0, thumpPhase = 0;
    for (int i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / sampleRate, progress = i / static_cast<double>(n);
        // Two one-pole low-pass stages whose cut-off falls: the roar sinks as it dies.
        double cutoff = 150 + 3800 * std::exp(-t * 5);
        double a = 1 - std::exp(-2 * M_PI * cutoff / sampleRate);
        low += a * (noise.next() - low);
        lower += a * (low - lower);
        double thumpHz = 30 + 90 * std::exp(-t * 9);
        thumpPhase += thumpHz / sampleRate;
        double thump = std::sin(2 * M_PI * thumpPhase) * std::exp(-t * 7);
        double crack = 0;
        if (t < 0.35 && crackle.next() > 0.985) crack = crackle.next() * (1 - t / 0.35);
        double env = std::fmin(1.0, t / 0.004) * std::exp(-t * 2.4) * std::pow(1 - progress, 1.5);
        // A soft overdrive gives the roar its body without raising the peak.
        mix[i] = std::tanh((lower * 2.2 + thump * 0.8 + crack * 0.6) * 2.5) * env;
    }
    return toPcm(mix, blastPeak);
}

namespace {

// ---- the music ---------------------------------------------------------------------------

constexpr int stepsPerBar = 16;
constexpr int bars = 16;
constexpr int samplesPerStep = 2400;  // a sixteenth at about 138 beats a minute
constexpr int loopSamples = bars * stepsPerBar * samplesPerStep;

// One bar of a part: sixteen tokens, a note name ("A4", "G#5") starts a note, "-" holds
// it, "." is silence.
struct NoteEvent {
    int step, length, midi;
};

int parseNote(const std::string& token) {
    static const int offsets[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int semitone = offsets[token[0] - 'A'];
    size_t i = 1;
    if (token[i] == '#') {
        ++semitone;
        ++i;
    }
    return 12 * (std::atoi(token.c_str() + i) + 1) + semitone;
}

std::vector<NoteEvent> parseBars(const char* const* barTexts, int count) {
    std::vector<NoteEvent> events;
    for (int bar = 0; bar < count; ++bar) {
        std::istringstream in(barTexts[bar]);
        std::string token;
        for (int s = 0; in >> token; ++s) {
            int step = bar * stepsPerBar + s;
            if (token == "-") {
                if (!events.empty()) ++events.back().length;
            } else if (token != ".") {
                events.push_back({step, 1, parseNote(token)});
            }
        }
    }
    return events;
}

const char* const melody[bars] = {
    "A4 - - - E5 - - - C5 - D5 - E5 - - -",  "F5 - - - E5 - D5 - C5 - - - A4 - - -",
    "G4 - - - C5 - - - E5 - - - G5 - F5 -",  "E5 - - - D5 - - - B4 - - - . . G4 -",
    "A4 - - - E5 - - - A5 - G5 - E5 - - -",  "F5 - - - A5 - - - G5 - F5 - E5 - D5 -",
    "D5 - - - G5 - - - B5 - A5 - G5 - - -",  "G#5 - - - - - - - E5 - - - B4 - - -",
    "D5 - F5 - A5 - - - F5 - - - D5 - - -",  "E5 - - - C5 - - - A4 - - - C5 - E5 -",
    "F5 - - - - - A5 - C6 - - - A5 - - -",   "G5 - - - E5 - - - C5 - D5 - E5 - - -",
    "F5 - E5 - D5 - - - A4 - - - D5 - F5 -", "E5 - - - A5 - - - C6 - B5 - A5 - - -",
    "G#5 - - - B5 - - - E6 - - - D6 - B5 -", "G#5 - - - - - - - E5 - - - . . . .",
};

// Chord of each bar: root (MIDI) and whether its third is minor.
struct Chord {
    int root;
    bool minor;
};
const Chord chords[bars] = {
    {57, true},  {53, false}, {48, false}, {55, false}, {57, true},  {53, false},
    {55, false}, {52, false}, {50, true},  {57, true},  {53, false}, {48, false},
    {50, true},  {57, true},  {52, false}, {52, false},
};

// Adds one note with a soft attack and release; anything past the loop's end wraps to its
// start, so ringing notes carry over the join.
template <typename Voice>
void addNote(std::vector<double>& mix, int start, int length, Voice voice) {
    for (int i = 0; i < length; ++i) mix[(start + i) % loopSamples] += voice(i);
}

double envelope(int i, int length, double attack, double release, double decayPerSecond) {
    double t = static_cast<double>(i) / sampleRate;
    double a = std::fmin(1.0, t / attack);
    double r = std::fmin(1.0, (length - i) / (release * sampleRate));
    return a * r * std::exp(-t * decayPerSecond);
}

void addLead(std::vector<double>& mix) {
    for (const NoteEvent& e : parseBars(melody, bars)) {
        int length = e.length * samplesPerStep - 300;
        double hz = noteHz(e.midi), phase = 0;
        addNote(mix, e.step * samplesPerStep, length, [&](int i) {
            double t = static_cast<double>(i) / sampleRate;
            double vibrato = t > 0.15 ? 0.004 * std::sin(2 * M_PI * 5.5 * t) : 0;
            double step = hz * (1 + vibrato) / sampleRate;
            phase += step;
            if (phase >= 1) phase -= 1;
            return pulse(phase, step, 0.25) * 0.16 * (0.7 + 0.3 * std::exp(-t * 6)) *
                   envelope(i, length, 0.004, 0.012, 0.3);
        });
    }
}

void addArpeggio(std::vector<double>& mix) {
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& c = chords[bar];
        const int tones[4] = {0, c.minor ? 3 : 4, 7, 12};
        for (int s = 0; s < stepsPerBar; ++s) {
            int midi = c.root + 12 + tones[s % 4];
            double hz = noteHz(midi), phase = 0;
            int length = samplesPerStep;
            double level = bar < 8 && bar % 4 == 0 ? 0.035 : 0.05;
            addNote(mix, (bar * stepsPerBar + s) * samplesPerStep, length, [&](int i) {
                double step = hz / sampleRate;
                phase += step;
                if (phase >= 1) phase -= 1;
                return pulse(phase, step, 0.125) * level * envelope(i, length, 0.002, 0.01, 14);
            });
        }
    }
}

void addBass(std::vector<double>& mix) {
    const int pattern[8] = {0, 0, 12, 0, 7, 0, 12, 7};
    for (int bar = 0; bar < bars; ++bar)
        for (int e = 0; e < 8; ++e) {
            int midi = chords[bar].root - 12 + pattern[e];
            double hz = noteHz(midi), phase = 0;
            int length = 2 * samplesPerStep - 500;
            addNote(mix, (bar * stepsPerBar + 2 * e) * samplesPerStep, length, [&](int i) {
                phase += hz / sampleRate;
                if (phase >= 1) phase -= 1;
                return triangleWave(phase) * 0.24 * envelope(i, length, 0.003, 0.015, 2.5);
            });
        }
}

void addDrums(std::vector<double>& mix) {
    Noise noise(2024);
    for (int bar = 0; bar < bars; ++bar)
        for (int s = 0; s < stepsPerBar; ++s) {
            int at = (bar * stepsPerBar + s) * samplesPerStep;
            bool lastBar = bar == bars - 1;
            bool kick = s == 0 || s == 8 || (s == 6 && bar % 2 == 1) || (s == 10 && bar % 4 == 3);
            bool snare = s == 4 || s == 12 || (lastBar && s >= 13);
            if (kick) {
                double phase = 0;
                addNote(mix, at, 3000, [&](int i) {
                    double t = static_cast<double>(i) / sampleRate;
                    phase += (45 + 110 * std::exp(-t * 40)) / sampleRate;
                    return std::sin(2 * M_PI * phase) * 0.38 * envelope(i, 3000, 0.001, 0.01, 18);
                });
            }
            if (snare) {
                double phase = 0;
                addNote(mix, at, 2600, [&](int i) {
                    phase += 185.0 / sampleRate;
                    double t = static_cast<double>(i) / sampleRate;
                    double body = std::sin(2 * M_PI * phase) * std::exp(-t * 40);
                    return (noise.next() * 0.16 + body * 0.1) * envelope(i, 2600, 0.001, 0.01, 22);
                });
            }
            if (s % 2 == 0 || s % 4 == 3) {
                double previous = 0, level = s % 4 == 2 ? 0.07 : 0.04;
                addNote(mix, at, 900, [&](int i) {
                    double n = noise.next(), high = n - previous;  // crude high-pass
                    previous = n;
                    return high * level * envelope(i, 900, 0.0005, 0.005, 60);
                });
            }
        }
}

}  // namespace

std::vector<short> makeMusicLoop() {
    std::vector<double> mix(loopSamples, 0.0);
    addBass(mix);
    addArpeggio(mix);
    addLead(mix);
    addDrums(mix);
    return toPcm(mix, musicPeak);
}

bool saveWav(const std::string& path, const std::vector<short>& samples) {
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    sf_count_t written = sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
    return written == static_cast<sf_count_t>(samples.size());
}

}  // namespace art
