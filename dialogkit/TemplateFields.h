// Field readers shared by the two template views. Resource data is little-endian; the
// fields of a template are only WORD-aligned, so wider values are read byte-wise.
#ifndef DIALOGKIT_TEMPLATEFIELDS_H
#define DIALOGKIT_TEMPLATEFIELDS_H

#include <windows.h>

#include <string.h>

#include "DebugAssert.h"

namespace templatefields {

inline WORD Word(const BYTE* p, int offset) {
  WORD value;
  memcpy(&value, p + offset, sizeof value);
  return value;
}

inline DWORD Dword(const BYTE* p, int offset) {
  DWORD value;
  memcpy(&value, p + offset, sizeof value);
  return value;
}

inline short Short(const BYTE* p, int offset) { return static_cast<short>(Word(p, offset)); }

// A name-or-ordinal field (menu, class, title): a lone 0 word, 0xFFFF and an ordinal, or a
// zero-terminated UTF-16 string.
inline const WORD* SkipName(const WORD* pw) {
  DK_ASSERT(pw != 0);
  if (*pw == 0xFFFF) return pw + 2;
  while (*pw++ != 0) {
  }
  return pw;
}

// The field as the Win32 name convention has it: an ordinal or the string; emptyIsNull
// maps a lone 0 word to null.
inline LPCWSTR ReadName(const WORD* pw, bool emptyIsNull) {
  DK_ASSERT(pw != 0);
  if (*pw == 0xFFFF) return MAKEINTRESOURCEW(pw[1]);
  if (*pw == 0 && emptyIsNull) return nullptr;
  return reinterpret_cast<LPCWSTR>(pw);
}

// Items and the first item start on DWORD boundaries of the resource data.
inline const BYTE* AlignDword(const void* p) {
  return reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR(3));
}

}  // namespace templatefields

#endif
