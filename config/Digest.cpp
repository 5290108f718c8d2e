#include "Digest.h"

#include <string.h>

namespace {

inline uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t Mix(uint32_t h) {
  h ^= h >> 16;
  h *= 0x85ebca6b;
  h ^= h >> 13;
  h *= 0xc2b2ae35;
  h ^= h >> 16;
  return h;
}

inline uint32_t Little32(const uint8_t* p) {
  uint32_t value;
  memcpy(&value, p, 4);  // x86 is little-endian, and the bytes need no alignment
  return value;
}

const uint32_t kC1 = 0x239b961b, kC2 = 0xab0e9789, kC3 = 0x38b34ae5, kC4 = 0xa1e38b93;

}  // namespace

void Murmur3x86_128(const void* data, size_t size, uint32_t seed, uint8_t out[16], BetweenParts between) {
  const size_t kPart = 1024 * 1024;  // well under a millisecond
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  uint32_t h1 = seed, h2 = seed, h3 = seed, h4 = seed;
  size_t whole = size - size % 16;
  for (size_t at = 0; at < whole; at += 16) {
    if (between != nullptr && at > 0 && at % kPart == 0) between();
    const uint8_t* block = bytes + at;
    uint32_t k1 = Little32(block), k2 = Little32(block + 4), k3 = Little32(block + 8), k4 = Little32(block + 12);
    h1 ^= Rotate(k1 * kC1, 15) * kC2;
    h1 = (Rotate(h1, 19) + h2) * 5 + 0x561ccd1b;
    h2 ^= Rotate(k2 * kC2, 16) * kC3;
    h2 = (Rotate(h2, 17) + h3) * 5 + 0x0bcaa747;
    h3 ^= Rotate(k3 * kC3, 17) * kC4;
    h3 = (Rotate(h3, 15) + h4) * 5 + 0x96cd1c35;
    h4 ^= Rotate(k4 * kC4, 18) * kC1;
    h4 = (Rotate(h4, 13) + h1) * 5 + 0x32ac3b17;
  }
  // The last 1 to 15 bytes, in lanes of four, little-endian, without the rounds' mixing.
  const uint8_t* tail = bytes + whole;
  uint32_t k[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < size % 16; ++i) k[i / 4] |= static_cast<uint32_t>(tail[i]) << (8 * (i % 4));
  size_t rest = size % 16;
  if (rest > 12) h4 ^= Rotate(k[3] * kC4, 18) * kC1;
  if (rest > 8) h3 ^= Rotate(k[2] * kC3, 17) * kC4;
  if (rest > 4) h2 ^= Rotate(k[1] * kC2, 16) * kC3;
  if (rest > 0) h1 ^= Rotate(k[0] * kC1, 15) * kC2;

  uint32_t length = static_cast<uint32_t>(size);  // the reference takes the length as an int
  h1 ^= length;
  h2 ^= length;
  h3 ^= length;
  h4 ^= length;
  h1 += h2 + h3 + h4;
  h2 += h1;
  h3 += h1;
  h4 += h1;
  h1 = Mix(h1);
  h2 = Mix(h2);
  h3 = Mix(h3);
  h4 = Mix(h4);
  h1 += h2 + h3 + h4;
  h2 += h1;
  h3 += h1;
  h4 += h1;
  uint32_t h[4] = {h1, h2, h3, h4};
  for (int i = 0; i < 16; ++i) out[i] = static_cast<uint8_t>(h[i / 4] >> (8 * (i % 4)));
}

Digest Digest::Of(const char* data, size_t size, BetweenParts between) {
  Digest digest;
  Murmur3x86_128(data, size, 0, digest.m_hash, between);
  digest.m_size = size;  // beyond 4 GB the hash's own length would wrap
  digest.m_file = true;
  return digest;
}

std::string Digest::Hex() const {
  std::string hex;
  for (uint8_t byte : m_hash) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 15];
  }
  return hex;
}

bool Digest::operator==(const Digest& other) const {
  return m_file == other.m_file && m_size == other.m_size && memcmp(m_hash, other.m_hash, sizeof m_hash) == 0;
}
