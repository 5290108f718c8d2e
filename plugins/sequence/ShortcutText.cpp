#include "ShortcutText.h"

size_t NormalizeShortcut(const char* text, size_t length, char* out, size_t max) {
  size_t n = 0;
  for (size_t i = 0; i < length && n < max; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (AlphabetIndex(c) < 0) continue;
    out[n++] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  out[n] = '\0';
  return n;
}

char KeyCharacter(unsigned long vk) {
  if (vk == 0x20) return ' ';
  if (vk >= 0x30 && vk <= 0x39) return static_cast<char>(vk);  // main block digits
  if (vk >= 0x41 && vk <= 0x5A) return static_cast<char>(vk);  // letters, shifted or not
  if (vk == 0xBD) return '-';                                  // VK_OEM_MINUS
  return 0;
}
