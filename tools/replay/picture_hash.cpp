// picture_hash.cpp -- FNV-1a, alone and four pictures side by side
#include "picture_hash.h"

uint64_t fnv1a(const uint8_t* bytes, size_t count, uint64_t hash) {
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= fnvPrime;
    }
    return hash;
}

void fnv1aSideBySide(const uint8_t* const* buffers, int pictures, size_t count, uint64_t* hashes) {
    if (pictures < 1) return;
    if (pictures == 1) {
        hashes[0] = fnv1a(buffers[0], count);
        return;
    }
    // Lanes without a picture of their own repeat the first one; their result is dropped.
    const uint8_t* b[hashLanes];
    for (int k = 0; k < hashLanes; ++k) b[k] = buffers[k < pictures ? k : 0];
    uint64_t h0 = fnvOffsetBasis, h1 = fnvOffsetBasis, h2 = fnvOffsetBasis, h3 = fnvOffsetBasis;
    for (size_t i = 0; i < count; ++i) {
        h0 = (h0 ^ b[0][i]) * fnvPrime;
        h1 = (h1 ^ b[1][i]) * fnvPrime;
        h2 = (h2 ^ b[2][i]) * fnvPrime;
        h3 = (h3 ^ b[3][i]) * fnvPrime;
    }
    const uint64_t all[hashLanes] = {h0, h1, h2, h3};
    for (int k = 0; k < pictures && k < hashLanes; ++k) hashes[k] = all[k];
}
