// headless_session.cpp -- the test binaries' start-up on the null platform
#include "support/headless_session.h"

#include <allegro.h>

#include <cstring>

#include "shell/frame.h"
#include "shell/headless.h"
#include "shell/platform.h"
#include "state/assets.h"

namespace {
std::vector<RecordedSound> sounds;

void record(const char* cue, int volume, int pan, int frequency, int loop) {
    sounds.push_back({cue, volume, pan, frequency, loop});
}

// Opens the library once per test binary, for memory bitmaps only.
class HeadlessEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        usePlatform(headlessPlatform);
        setSoundRecorder(record);
        ASSERT_TRUE(platformOpen());
    }
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new HeadlessEnvironment);
}  // namespace

const std::vector<RecordedSound>& recordedSounds() {
    return sounds;
}

void clearRecordedSounds() {
    sounds.clear();
}

int startFreshSession() {
    releaseAssets();
    if (backBuffer) destroy_bitmap(backBuffer);
    backBuffer = nullptr;
    std::memset(&game, 0, sizeof game);
    setHeadlessKeys(0);
    sounds.clear();
    return startSession();
}

bool runFrames(int frames, uint32_t heldKeys) {
    setHeadlessKeys(heldKeys);
    for (int i = 0; i < frames; ++i) {
        if (runFrame()) return true;
    }
    return false;
}

int backBufferPixel(int x, int y) {
    return getpixel(backBuffer, x, y);
}
