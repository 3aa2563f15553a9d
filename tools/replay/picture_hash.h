// picture_hash.h -- the trace's picture hash: 64-bit FNV-1a over the pixel bytes, row by row
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/fnv.h"

// FNV-1a over `count` bytes, going on from `hash` (fnvOffsetBasis for a fresh one).
uint64_t fnv1a(const uint8_t* bytes, size_t count, uint64_t hash = fnvOffsetBasis);

// The most pictures hashed side by side.
constexpr int hashLanes = 4;

// Fresh FNV-1a of `pictures` buffers of `count` bytes each (1..hashLanes), into hashes[].
// FNV-1a is a chain through every byte and the processor waits on each link; four
// independent chains run in about the time of one.
void fnv1aSideBySide(const uint8_t* const* buffers, int pictures, size_t count, uint64_t* hashes);
