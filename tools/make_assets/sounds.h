// sounds.h -- the shot, the explosion and the music loop, synthesised sample by sample
#pragma once

#include <string>
#include <vector>

namespace art {

constexpr int sampleRate = 22050;

// Peaks of the three sounds as fractions of full scale: together they stay below 1, so
// the music with a shot and a blast on top never clips.
constexpr double shotPeak = 0.28;
constexpr double blastPeak = 0.36;
constexpr double musicPeak = 0.33;

// A bright plasma "pew": a falling pulse sweep, about 0.2 s.
std::vector<short> makeShotSound();

// An explosion: noise whose pitch falls as it fades, over a deep thump, about 0.9 s.
std::vector<short> makeBlastSound();

// The music: sixteen bars of chiptune (lead, arpeggio, bass, drums) in A minor, about
// 28 s, whose end runs straight on into its start.
std::vector<short> makeMusicLoop();

// Writes 16-bit mono PCM WAV; false if the file cannot be written.
bool saveWav(const std::string& path, const std::vector<short>& samples);

}  // namespace art
