// session.cpp -- start-up on the null platform, and a count of every heap block in the process
//
// Allocations are counted in a plain build by defining malloc and its relatives here
// (the executable's definitions win over the C library's for every shared library
// too), under AddressSanitizer through its hooks, since the sanitizer owns malloc there.
#include "unit/session.h"

#include <allegro.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/headless.h"
#include "spine/frame.h"
#include "spine/loop.h"
#include "spine/machine.h"
#include "state/assets.h"
#include "state/game_state.h"

namespace {
std::atomic<long> allocated{0}, freed{0};
void onMalloc(const volatile void*, size_t) { allocated.fetch_add(1, std::memory_order_relaxed); }
void onFree(const volatile void* block) {
    if (block) freed.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
namespace {
const int hooksInstalled = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
}
#else
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) noexcept {
    onMalloc(nullptr, size);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
    onMalloc(nullptr, size);
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) noexcept {
    void* moved = __libc_realloc(block, size);
    if (block && (moved || size == 0)) onFree(block);
    if (moved) onMalloc(moved, size);
    return moved;
}
void* memalign(size_t alignment, size_t size) noexcept {
    onMalloc(nullptr, size);
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) noexcept { return memalign(alignment, size); }
int posix_memalign(void** result, size_t alignment, size_t size) noexcept {
    *result = memalign(alignment, size);
    return *result ? 0 : ENOMEM;
}
void free(void* block) noexcept {
    onFree(block);
    __libc_free(block);
}
}
#endif

long allocationsSoFar() { return allocated.load(); }

long liveAllocations() { return allocated.load() - freed.load(); }

namespace {
// The library, once per test binary, for memory bitmaps only.
class HeadlessLibrary : public ::testing::Environment {
    void SetUp() override {
        useMachine(headlessPlatform);
        ASSERT_TRUE(machine().open.call(frameScreen()));
        ASSERT_TRUE(startLoop(DisplayChoice{}, SoundChoice{}));
    }
};
const ::testing::Environment* const library =
    ::testing::AddGlobalTestEnvironment(new HeadlessLibrary);
}  // namespace

int startFreshSession() {
    if (backBuffer) shutdownSession();
    useMachine(headlessPlatform);
    std::memset(&game, 0, sizeof game);
    return startSession();
}

bool runFrames(int frames, uint32_t heldKeys) {
    for (int i = 0; i < frames; ++i) {
        if (runFrame(heldKeys)) return true;
    }
    return false;
}
