// picture_hash_test.cpp -- the trace's picture hash is plain FNV-1a, one picture or four at once
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "picture_hash.h"

namespace {
const uint8_t* bytesOf(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

std::vector<uint8_t> randomBytes(std::mt19937& random, size_t count) {
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}
}  // namespace

TEST(Fnv1a, MatchesThePublishedValues) {
    EXPECT_EQ(fnv1a(bytesOf(""), 0), 0xcbf29ce484222325ull);
    EXPECT_EQ(fnv1a(bytesOf("a"), 1), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(fnv1a(bytesOf("foobar"), 6), 0x85944171f73967e8ull);
    EXPECT_EQ(fnv1a(bytesOf("bar"), 3, fnv1a(bytesOf("foo"), 3)), 0x85944171f73967e8ull)
        << "hashing goes on from a given value";
}

TEST(Fnv1aSideBySide, GivesEachPictureItsOwnPlainHash) {
    std::mt19937 random(2024);
    const size_t size = 320 * 300;
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < hashLanes; ++i) pictures.push_back(randomBytes(random, size));
    pictures[2] = pictures[1];
    pictures[2][size - 1] ^= 1;  // differs from picture 1 in its very last byte only

    for (int count = 1; count <= hashLanes; ++count) {
        const uint8_t* buffers[hashLanes];
        for (int i = 0; i < count; ++i) buffers[i] = pictures[i].data();
        uint64_t hashes[hashLanes] = {0, 0, 0, 0};
        fnv1aSideBySide(buffers, count, size, hashes);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(hashes[i], fnv1a(pictures[i].data(), size))
                << "picture " << i << " of " << count;
        for (int i = count; i < hashLanes; ++i)
            EXPECT_EQ(hashes[i], 0u) << "lane " << i << " of " << count << " is left alone";
    }
}

TEST(Fnv1aSideBySide, HandlesOddLengthsAndNoPictures) {
    std::mt19937 random(5);
    for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{1001}}) {
        std::vector<uint8_t> a = randomBytes(random, size), b = randomBytes(random, size);
        const uint8_t* buffers[] = {a.data(), b.data()};
        uint64_t hashes[2];
        fnv1aSideBySide(buffers, 2, size, hashes);
        EXPECT_EQ(hashes[0], fnv1a(a.data(), size)) << size;
        EXPECT_EQ(hashes[1], fnv1a(b.data(), size)) << size;
    }
    uint64_t untouched = 42;
    fnv1aSideBySide(nullptr, 0, 100, &untouched);
    EXPECT_EQ(untouched, 42u);
}
