#include "WidePath.h"

#include <windows.h>

bool WideFromAnsi(const std::string& text, std::wstring* wide) {
  wide->clear();
  if (text.empty()) return true;
  int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return false;
  wide->resize(static_cast<size_t>(length));
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, &(*wide)[0], length) != length) {
    wide->clear();
    return false;
  }
  return true;
}

bool AnsiFromWide(const std::wstring& wide, std::string* text) {
  text->clear();
  if (wide.empty()) return true;
  // No best fit: a look-alike would name another file. A UTF-8 code page takes neither the
  // flag nor the question, and loses nothing.
  bool utf8 = GetACP() == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return false;
  text->resize(static_cast<size_t>(length));
  BOOL lost = FALSE;
  if (WideCharToMultiByte(CP_ACP, flags, wide.data(), size, &(*text)[0], length, nullptr, utf8 ? nullptr : &lost) !=
      length) {
    text->clear();
    return false;
  }
  return !lost;
}
