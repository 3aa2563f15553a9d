// window_sound.cpp -- the window's sounds: the music on a voice of its own, the shots and blasts
// at the player's loudness, taking a new loudness at once
#include <allegro.h>

#include "platform/window.h"

namespace {
constexpr int effectVoicesKept = 32;  // the shots and blasts that may still be sounding

struct Voices {
    int music = -1;           // the music's voice, or -1
    int musicVolume = 255;    // the music's own volume, before the player's loudness
    bool musicHeld = false;
    int musicPercent = 100, effectsPercent = 100;
    struct Effect {
        int voice = -1, volume = 0;
    } effects[effectVoicesKept];
    int nextEffect = 0;
};
Voices voices;

int loudness(int volume, int percent) { return volume * percent / 100; }
}  // namespace

void windowPlaySample(SAMPLE* sample, int volume, int pan, int frequency, bool loop) {
    Voices& v = voices;
    if (!loop) {
        const int voice = play_sample(sample, loudness(volume, v.effectsPercent), pan, frequency, 0);
        v.effects[v.nextEffect] = {voice, volume};
        v.nextEffect = (v.nextEffect + 1) % effectVoicesKept;
        return;
    }
    // The music keeps a voice of its own, so that a pause can hold it where it is.
    v.music = allocate_voice(sample);
    if (v.music < 0) return;
    v.musicVolume = volume;
    voice_set_volume(v.music, loudness(volume, v.musicPercent));
    voice_set_pan(v.music, pan);
    voice_set_frequency(v.music, sample->freq * frequency / 1000);
    voice_set_playmode(v.music, PLAYMODE_LOOP);
    if (!v.musicHeld) voice_start(v.music);
}

void windowSetLoudness(int music, int effects) {
    Voices& v = voices;
    v.musicPercent = music;
    v.effectsPercent = effects;
    if (v.music >= 0) voice_set_volume(v.music, loudness(v.musicVolume, music));
    for (const Voices::Effect& e : v.effects) {
        if (e.voice >= 0 && e.voice != v.music && voice_check(e.voice))
            voice_set_volume(e.voice, loudness(e.volume, effects));
    }
}

void windowHoldMusic(bool held) {
    Voices& v = voices;
    if (held == v.musicHeld) return;
    v.musicHeld = held;
    if (v.music < 0) return;
    if (held) {
        voice_stop(v.music);
    } else {
        voice_start(v.music);
    }
}
