// MurmurHash3 (x86, 128 bits) as its author's test suite checks it: every length from 0 to
// 255 bytes, each with its own seed, hashed again as one text; in parts or whole alike; and
// no file is no digest of an empty one.
#include <gtest/gtest.h>

#include <string>

#include "Digest.h"

namespace {

int gBetween;
void CountBetween() { ++gBetween; }

TEST(Digest, ReferenceVerificationValueOverEveryTailLength) {
  uint8_t key[256], hashes[256 * 16], result[16];
  for (int i = 0; i < 256; ++i) {
    key[i] = static_cast<uint8_t>(i);
    Murmur3x86_128(key, static_cast<size_t>(i), static_cast<uint32_t>(256 - i), hashes + 16 * i);
  }
  Murmur3x86_128(hashes, sizeof hashes, 0, result);
  uint32_t verification = result[0] | result[1] << 8 | result[2] << 16 | static_cast<uint32_t>(result[3]) << 24;
  EXPECT_EQ(0xB3ECE62Au, verification);
  EXPECT_EQ(std::string(32, '0'), Digest::Of("").Hex());  // seed 0, nothing to mix
}

TEST(Digest, PartsGiveTheSameValue) {
  for (size_t size : {size_t(15), size_t(1024 * 1024), size_t(1024 * 1024 + 16), size_t(3500001)}) {
    SCOPED_TRACE(size);
    std::string text(size, 'a');
    for (size_t i = 0; i < size; i += 7) text[i] = static_cast<char>(i);
    gBetween = 0;
    EXPECT_EQ(Digest::Of(text), Digest::Of(text, CountBetween));
    size_t whole = size - size % 16;
    EXPECT_EQ(whole == 0 ? 0 : static_cast<int>((whole - 1) / (1024 * 1024)), gBetween);  // every MB but the first
  }
}

TEST(Digest, NoFileDiffersFromAnEmptyOneAndBytesAreCompared) {
  EXPECT_FALSE(Digest().IsFile());
  EXPECT_NE(Digest(), Digest::Of(""));
  EXPECT_EQ(Digest(), Digest());
  EXPECT_NE(Digest::Of("<a/>"), Digest::Of("<a/>\n"));
  EXPECT_NE(Digest::Of("ab"), Digest::Of("ba"));
  // One byte changed anywhere in a long text, as a hand edit changes a file.
  std::string text(100000, 'x');
  Digest whole = Digest::Of(text);
  for (size_t at : {size_t(0), size_t(15), size_t(16), size_t(50000), size_t(99999)}) {
    std::string edited = text;
    edited[at] = 'y';
    EXPECT_NE(whole, Digest::Of(edited)) << at;
  }
}

}  // namespace
