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

std::string ShownText(const std::wstring& wide) {
  std::string text;
  if (!AnsiFromWide(wide, &text) && text.empty() && !wide.empty()) text = "?";
  return text;
}

std::wstring CurrentFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), &folder[0]);
    if (length == 0) return std::wstring();
    // Too small a buffer: the length it needs, counting the terminator (the folder may have
    // changed in between, so ask again).
    if (length < folder.size()) return folder.substr(0, length);
    folder.resize(length);
  }
  return std::wstring();
}
