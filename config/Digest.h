// SHA-256 of a text: how conf.xml's bytes are told apart from what Tambrel last loaded or
// wrote without keeping a copy of them (a file of 10,000 bindings is megabytes).
#ifndef TAMBREL_DIGEST_H
#define TAMBREL_DIGEST_H

#include <stddef.h>
#include <stdint.h>

#include <string>

// Called between the parts of long work on the hook's thread, so that the hook gets its turn.
typedef void (*BetweenParts)();

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
  uint8_t m_hash[32] = {};
  uint64_t m_size = 0;
  bool m_file = false;
};

#endif
