// A 128-bit hash of a text and its length: how conf.xml's bytes are told apart from what
// Tambrel last loaded or wrote without keeping a copy of them (a file of 10,000 bindings is
// megabytes). The bytes compared are Tambrel's own or a user's edit, never chosen to
// collide, so a fast hash of good spread serves: MurmurHash3 (x86, 128 bits) costs about
// a millisecond for such a file, where SHA-256 took tens, two or three times per save.
// Nothing is stored: the values live for one run.
#ifndef TAMBREL_DIGEST_H
#define TAMBREL_DIGEST_H

#include <stddef.h>
#include <stdint.h>

#include <string>

// Called between the parts of long work on the hook's thread, so that the hook gets its turn.
typedef void (*BetweenParts)();

// MurmurHash3_x86_128 with its seed, as its author's reference code gives it (16 bytes,
// h1 to h4, each little-endian). between, when given, is called after every megabyte.
void Murmur3x86_128(const void* data, size_t size, uint32_t seed, uint8_t out[16], BetweenParts between = nullptr);

class Digest {
 public:
  Digest() = default;  // stands for no file at all
  static Digest Of(const char* data, size_t size, BetweenParts between = nullptr);
  static Digest Of(const std::string& text, BetweenParts between = nullptr) {
    return Of(text.data(), text.size(), between);
  }

  bool IsFile() const { return m_file; }
  std::string Hex() const;
  bool operator==(const Digest& other) const;
  bool operator!=(const Digest& other) const { return !(*this == other); }

 private:
  uint8_t m_hash[16] = {};
  uint64_t m_size = 0;
  bool m_file = false;
};

#endif
