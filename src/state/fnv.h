// fnv.h -- the 64-bit FNV-1a hash's numbers, for the state digest and the picture hashes
#pragma once

#include <cstdint>

constexpr uint64_t fnvPrime = 1099511628211ull;
constexpr uint64_t fnvOffsetBasis = 14695981039346656037ull;

// The state digest starts from the offset basis short of its last digit: every recording
// made notes digests begun so, and they must go on verifying.
constexpr uint64_t stateDigestBasis = 1469598103934665603ull;
