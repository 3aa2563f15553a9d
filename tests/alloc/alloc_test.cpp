// alloc_test.cpp -- the frame loop never touches the heap, over thousands of frames of play
//
// Every heap allocation made by this test binary is counted, including those made
// inside the Allegro library: in a plain build by defining malloc and its relatives
// here (the executable's definitions take precedence over the C library's for every
// shared library too), under AddressSanitizer through its allocation hook, since the
// sanitizer owns malloc there. operator new ends in malloc in both cases.
#include <allegro.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "shell/frame.h"
#include "shell/headless.h"
#include "support/headless_session.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DRIFTWING_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DRIFTWING_ASAN 1
#endif

namespace {
std::atomic<long> allocations{0};

void countAllocation() {
    allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#ifdef DRIFTWING_ASAN
// From the sanitizer runtime (GCC ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*onMalloc)(const volatile void*, size_t), void (*onFree)(const volatile void*));

namespace {
void onMalloc(const volatile void*, size_t) {
    countAllocation();
}
void onFree(const volatile void*) {}
const int hooksInstalled = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
}  // namespace
#else
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size) noexcept {
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
    countAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) noexcept {
    countAllocation();
    return __libc_realloc(block, size);
}
void* memalign(size_t alignment, size_t size) noexcept {
    countAllocation();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) noexcept {
    countAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** result, size_t alignment, size_t size) noexcept {
    countAllocation();
    void* block = __libc_memalign(alignment, size);
    if (!block) return ENOMEM;
    *result = block;
    return 0;
}
}
#endif

namespace {
long allocationsSoFar() {
    return allocations.load(std::memory_order_relaxed);
}

// The counter must see allocations from this program, from the C++ library and
// from Allegro, or a zero below would prove nothing.
TEST(AllocationCounter, SeesNewMallocAndTheLibrarysOwnAllocations) {
    long before = allocationsSoFar();
    auto boxed = std::make_unique<int>(7);
    EXPECT_GT(allocationsSoFar(), before) << "operator new";

    before = allocationsSoFar();
    void* block = std::malloc(64);
    asm volatile("" : : "r"(block) : "memory");  // keep the compiler from eliding the pair
    EXPECT_GT(allocationsSoFar(), before) << "malloc";
    std::free(block);

    before = allocationsSoFar();
    BITMAP* picture = create_bitmap(16, 16);
    EXPECT_GT(allocationsSoFar(), before) << "create_bitmap inside Allegro";
    destroy_bitmap(picture);
}

// Sounds are counted into fixed counters: recording them must not allocate either.
int shotsPlayed = 0;
int blastsPlayed = 0;
void countSound(const char* cue, int, int, int, int) {
    if (std::strcmp(cue, "shot") == 0) ++shotsPlayed;
    if (std::strcmp(cue, "blast") == 0) ++blastsPlayed;
}

// Keys held in a given frame: a cycle of steering, climbing and firing, with S held
// now and then (a new game whenever the title shows) and idle title frames between.
uint32_t keysOfFrame(int frame) {
    static const uint32_t cycle[] = {
        HeldS | HeldSpace,       HeldSpace | HeldLeft,  HeldSpace | HeldRight | HeldUp,
        HeldSpace | HeldDown,    0,                     HeldSpace | HeldLeft | HeldDown,
        HeldRight,               HeldS,                 HeldSpace | HeldUp,
        HeldLeft | HeldRight,    HeldSpace,             0,
    };
    constexpr int framesPerEntry = 23;
    return cycle[(frame / framesPerEntry) % (sizeof cycle / sizeof cycle[0])];
}

class FrameLoop : public HeadlessGame {
protected:
    void SetUp() override {
        HeadlessGame::SetUp();
        setSoundRecorder(countSound);
        shotsPlayed = blastsPlayed = 0;
    }
    void TearDown() override { setSoundRecorder(nullptr); }
};

TEST_F(FrameLoop, TenThousandFramesOfPlayAllocateNothing) {
    constexpr int frames = 10000;
    int gamesStarted = 0, gamesEnded = 0, firstAllocatingFrame = -1;
    int32_t mode = game.gameMode;

    const long before = allocationsSoFar();
    for (int frame = 1; frame <= frames; ++frame) {
        setHeadlessKeys(keysOfFrame(frame));
        const long seen = allocationsSoFar();
        const bool quit = runFrame();
        if (firstAllocatingFrame < 0 && allocationsSoFar() != seen) firstAllocatingFrame = frame;
        if (quit) break;
        if (mode == Title && game.gameMode == Playing) ++gamesStarted;
        if (mode == Playing && game.gameMode == Title) ++gamesEnded;
        mode = game.gameMode;
    }
    const long during = allocationsSoFar() - before;
    setHeadlessKeys(0);

    EXPECT_EQ(during, 0) << "first allocating frame: " << firstAllocatingFrame;
    // The frames covered real play, not just the title screen.
    EXPECT_GE(gamesStarted, 10);
    EXPECT_GE(gamesEnded, 10);
    EXPECT_GT(shotsPlayed, 50);
    EXPECT_GT(blastsPlayed, 5);
}
}  // namespace
