// leak_check.h -- marks memory that library drivers keep until exit, in a sanitizer build
//
// In a build with AddressSanitizer, LeakSanitizer reports every block still held when
// the process ends. A few library services (the sound drivers' configuration) hold
// memory of their own until then; a LeakCheckPause around their installation keeps
// those blocks out of the report while every bitmap, sample and buffer of the game's
// own is still checked. In any other build it does nothing.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define DRIFTWING_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DRIFTWING_LEAK_CHECK 1
#endif
#endif

#ifdef DRIFTWING_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

// While one lives, blocks allocated on this thread are never reported as leaks.
class LeakCheckPause {
public:
#ifdef DRIFTWING_LEAK_CHECK
    LeakCheckPause() { __lsan_disable(); }
    ~LeakCheckPause() { __lsan_enable(); }
#else
    LeakCheckPause() {}
#endif
    LeakCheckPause(const LeakCheckPause&) = delete;
    LeakCheckPause& operator=(const LeakCheckPause&) = delete;
};
