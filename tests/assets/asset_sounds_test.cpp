// asset_sounds_test.cpp -- the generated shot, explosion and music: formats, lengths,
// loudness, shape and the music's loop join
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Sound {
    SF_INFO info{};
    std::vector<short> samples;
    double seconds() const { return static_cast<double>(samples.size()) / info.samplerate; }
    int peak() const {
        int p = 0;
        for (short s : samples) p = std::max(p, std::abs(static_cast<int>(s)));
        return p;
    }
    double rms(size_t from, size_t to) const {
        double sum = 0;
        for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
        return std::sqrt(sum / std::max<size_t>(1, to - from));
    }
    // Sign changes per second in a stretch: a rough measure of pitch.
    double crossingsPerSecond(size_t from, size_t to) const {
        int n = 0;
        for (size_t i = from + 1; i < to; ++i) n += (samples[i - 1] < 0) != (samples[i] < 0);
        return n * static_cast<double>(info.samplerate) / (to - from);
    }
};

Sound readSound(const std::string& path) {
    Sound s;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &s.info);
    if (!f) return s;
    s.samples.resize(static_cast<size_t>(s.info.frames * s.info.channels));
    sf_read_short(f, s.samples.data(), static_cast<sf_count_t>(s.samples.size()));
    sf_close(f);
    return s;
}

class GeneratedSounds : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shot = readSound("data/effect.wav");
        blast = readSound("data/fall.wav");
        music = readSound("data/gmsong.wav");
    }
    static Sound shot, blast, music;
};
Sound GeneratedSounds::shot, GeneratedSounds::blast, GeneratedSounds::music;

TEST_F(GeneratedSounds, AreMonoSixteenBitWavesOfTheRightLength) {
    for (const Sound* s : {&shot, &blast, &music}) {
        ASSERT_FALSE(s->samples.empty());
        EXPECT_EQ(s->info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(s->info.channels, 1);
        EXPECT_TRUE(s->info.samplerate == 22050 || s->info.samplerate == 44100)
            << s->info.samplerate;
    }
    EXPECT_LT(shot.seconds(), 0.3);
    EXPECT_GT(shot.seconds(), 0.05);
    EXPECT_GE(blast.seconds(), 0.5);
    EXPECT_LE(blast.seconds(), 1.2);
    EXPECT_GE(music.seconds(), 20.0);
    EXPECT_LE(music.seconds(), 40.0);
}

TEST_F(GeneratedSounds, AreAudibleButLeaveHeadroomForEachOther) {
    for (const Sound* s : {&shot, &blast, &music}) EXPECT_GT(s->peak(), 32767 / 10);
    // Music, a shot and a blast can all sound at once.
    EXPECT_LE(shot.peak() + blast.peak() + music.peak(), 32767);
}

TEST_F(GeneratedSounds, EffectsDieAwayToSilenceWithoutAClick) {
    for (const Sound* s : {&shot, &blast}) {
        size_t n = s->samples.size();
        EXPECT_GT(s->rms(0, n / 4), s->rms(n * 3 / 4, n) * 3) << "loud start, quiet end";
        EXPECT_LT(std::abs(s->samples.back()), 200) << "cut off mid-wave, it would click";
        EXPECT_LT(std::abs(s->samples.front()), 2000) << "starts with a jump";
    }
}

TEST_F(GeneratedSounds, ExplosionPitchFallsAndShotSweepsDown) {
    const double rate = blast.info.samplerate;
    size_t early = static_cast<size_t>(0.15 * rate);
    size_t lateFrom = static_cast<size_t>(0.4 * rate), lateTo = static_cast<size_t>(0.6 * rate);
    EXPECT_GT(blast.crossingsPerSecond(0, early), blast.crossingsPerSecond(lateFrom, lateTo) * 1.5);
    size_t n = shot.samples.size();
    EXPECT_GT(shot.crossingsPerSecond(0, n / 5), shot.crossingsPerSecond(n / 2, n * 7 / 10) * 1.5);
}

TEST_F(GeneratedSounds, MusicLoopJoinsItsEndToItsStartSmoothly) {
    // Across the join the wave may move no more than it does between neighbouring samples
    // just before and just after it: a note cut off at the end would jump.
    const std::vector<short>& m = music.samples;
    const size_t n = m.size(), near = 16;
    std::vector<int> local;
    for (size_t i = 1; i <= near; ++i) {
        local.push_back(std::abs(m[i] - m[i - 1]));
        local.push_back(std::abs(m[n - i] - m[n - i - 1]));
    }
    std::sort(local.begin(), local.end());
    const int typical = local[near];
    EXPECT_LE(std::abs(m.back() - m.front()), 3 * typical + 32)
        << "the loop would click at the join";
    // The last stretch is music, not padding with silence that would stall the beat.
    size_t tail = static_cast<size_t>(0.25 * music.info.samplerate);
    EXPECT_GT(music.rms(m.size() - tail, m.size()), music.rms(0, m.size()) * 0.2);
}

TEST_F(GeneratedSounds, MusicHasABeat) {
    // Loudness in 1/16-second windows must rise and fall, not stay flat like a drone.
    const size_t window = music.info.samplerate / 16;
    std::vector<double> levels;
    for (size_t i = 0; i + window <= music.samples.size(); i += window)
        levels.push_back(music.rms(i, i + window));
    std::sort(levels.begin(), levels.end());
    EXPECT_GT(levels[levels.size() * 9 / 10], levels[levels.size() / 10] * 1.5);
}

}  // namespace
