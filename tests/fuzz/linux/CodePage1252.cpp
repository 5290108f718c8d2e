#include <string.h>

#include "windows.h"

// 0x80 to 0x9F; everything else is its own code point. Windows gives the five bytes that
// the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) as the C1 controls of the
// same number, as Wine does.
static const unsigned short kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int MultiByteToWideChar(unsigned, unsigned long, const char* text, int length, wchar_t* wide, int size) {
  if (length < 0) length = static_cast<int>(strlen(text)) + 1;
  if (wide == nullptr || size == 0) return length;  // one character per byte
  if (size < length) return 0;
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    wide[i] = c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
  }
  return length;
}
