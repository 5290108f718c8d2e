// The alphabet of sequence shortcuts: A to Z, 0 to 9, space and hyphen, at most 15 of them.
#ifndef TAMBRELPLUG_SHORTCUTTEXT_H
#define TAMBRELPLUG_SHORTCUTTEXT_H

#include <stddef.h>

const size_t kMaxShortcut = 15;
const size_t kMaxTyped = 16;   // the typed text keeps one more than the longest shortcut
const int kAlphabetSize = 38;

// The character's place in the alphabet, or -1 when it has none. Lower-case letters count
// as their capitals.
inline int AlphabetIndex(unsigned char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= '0' && c <= '9') return 26 + (c - '0');
  if (c == ' ') return 36;
  if (c == '-') return 37;
  return -1;
}

// The character at an alphabet index, the inverse of AlphabetIndex for capitals.
inline char AlphabetCharacter(int index) {
  return static_cast<char>(index < 26 ? 'A' + index : index < 36 ? '0' + index - 26 : index == 36 ? ' ' : '-');
}

// Keeps the characters of text[0..length) that are in the alphabet, capitals for letters,
// and at most max of them; out holds max + 1 bytes. Returns the length written.
size_t NormalizeShortcut(const char* text, size_t length, char* out, size_t max);

// The character that a key release adds to the typed text, 0 for keys that add none.
char KeyCharacter(unsigned long vk);

#endif
