// mixer.cpp -- the offline mixer: linear interpolation, Allegro's linear pan law, clipped sums
#include "mixer.h"

#include <algorithm>

#include "system/io.h"

namespace {
constexpr int64_t chunkSamples = mixSamplesPerFrame * 6;  // a tenth of a second at a time
constexpr int64_t fullScale = 255 * 255;                  // volume times pan weight

// A started sample, with where it is in its source counted exactly: the source position
// of output sample t is (t - start) * sourceStep / stepUnit source frames.
struct Voice {
    const SAMPLE* sample;
    int64_t start;        // output sample of its first source frame
    int64_t sourceStep;   // source frames a second times frequency/1000, times 1000
    int64_t left, right;  // weights out of fullScale
    bool loop;
};
constexpr int64_t stepUnit = int64_t{mixRate} * 1000;

// Source frame i, channel c, as a signed 16-bit value (Allegro keeps samples unsigned).
int32_t sourceValue(const SAMPLE* s, int64_t i, int c) {
    int64_t at = i * (s->stereo ? 2 : 1) + (s->stereo ? c : 0);
    if (s->bits == 8) return (static_cast<const uint8_t*>(s->data)[at] - 128) * 256;
    return static_cast<const uint16_t*>(s->data)[at] - 32768;
}

// Adds the voice into samples [from, from + count) of the chunk; false once it has ended.
bool mixVoice(const Voice& v, int64_t from, int64_t count, int64_t* mix) {
    const SAMPLE* s = v.sample;
    const int64_t loopStart = std::clamp<int64_t>(s->loop_start, 0, s->len);
    const int64_t loopEnd = std::clamp<int64_t>(s->loop_end, loopStart, s->len);
    const bool loops = v.loop && loopEnd > loopStart;
    for (int64_t t = std::max(from, v.start); t < from + count; ++t) {
        int64_t position = (t - v.start) * v.sourceStep;  // in source frames times stepUnit
        if (loops && position >= loopEnd * stepUnit) {
            int64_t length = (loopEnd - loopStart) * stepUnit;
            position = loopStart * stepUnit + (position - loopStart * stepUnit) % length;
        }
        int64_t i = position / stepUnit, fraction = position % stepUnit;
        if (i >= static_cast<int64_t>(s->len)) return false;
        int64_t next = i + 1;
        if (next >= (loops ? loopEnd : static_cast<int64_t>(s->len))) next = loops ? loopStart : i;
        for (int c = 0; c < 2; ++c) {
            int64_t a = sourceValue(s, i, c), b = sourceValue(s, next, c);
            int64_t value = a + (b - a) * fraction / stepUnit;
            mix[(t - from) * 2 + c] += value * (c == 0 ? v.left : v.right);
        }
    }
    return true;
}
}  // namespace

int writeMix(const std::vector<SoundStart>& starts, int64_t fromFrame, int64_t toFrame, int fd) {
    std::vector<Voice> voices;
    std::vector<int64_t> mix(chunkSamples * 2);
    std::vector<int16_t> pcm(chunkSamples * 2);
    size_t nextStart = 0;
    const int64_t end = toFrame * mixSamplesPerFrame;
    for (int64_t from = fromFrame * mixSamplesPerFrame; from < end; from += chunkSamples) {
        const int64_t count = std::min(chunkSamples, end - from);
        for (; nextStart < starts.size() &&
               starts[nextStart].frame * mixSamplesPerFrame < from + count;
             ++nextStart) {
            const SoundStart& s = starts[nextStart];
            if (!s.sample || s.sample->len == 0) continue;
            voices.push_back(
                {s.sample, s.frame * mixSamplesPerFrame, int64_t{s.sample->freq} * s.frequency,
                 int64_t{s.volume} * (255 - s.pan), int64_t{s.volume} * s.pan, s.loop});
        }
        std::fill(mix.begin(), mix.end(), 0);
        voices.erase(
            std::remove_if(voices.begin(), voices.end(),
                           [&](const Voice& v) { return !mixVoice(v, from, count, mix.data()); }),
            voices.end());
        for (int64_t k = 0; k < count * 2; ++k) {
            int64_t value = mix[k] / fullScale;
            pcm[k] = static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767));
        }
        // The PCM goes out little-endian, as every machine the game is built for keeps it.
        if (const int error = writeAll(fd, pcm.data(), sizeof(int16_t) * 2 * count)) return error;
    }
    return 0;
}
