// The clipboard of a test: filled and read by a window of the test's own, with a text, a
// format of bytes and an enhanced metafile, so that a test can tell whether all of it came
// back.
#ifndef TAMBREL_TESTS_TESTCLIPBOARD_H
#define TAMBREL_TESTS_TESTCLIPBOARD_H

#include <windows.h>

#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

struct TestClipboard {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  UINT bytesFormat = RegisterClipboardFormatA("Tambrel test bytes");
  ~TestClipboard() { DestroyWindow(window); }

  static HGLOBAL Memory(const void* data, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
  }
  bool Fill(const wchar_t* text, const std::string& bytes) {
    if (!OpenClipboard(window)) return false;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, Memory(text, (wcslen(text) + 1) * sizeof(wchar_t)));
    SetClipboardData(bytesFormat, Memory(bytes.data(), bytes.size()));
    // An enhanced metafile of one rectangle.
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 1, 2, 30, 40);
    SetClipboardData(CF_ENHMETAFILE, CloseEnhMetaFile(dc));
    return CloseClipboard() != 0;
  }
  static std::string Bytes(UINT format) {
    HANDLE data = GetClipboardData(format);
    if (data == nullptr) return "<none>";
    if (format == CF_ENHMETAFILE) {
      UINT size = GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr);
      std::string bits(size, '\0');
      GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), size, reinterpret_cast<BYTE*>(&bits[0]));
      return bits;
    }
    std::string bytes(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
    GlobalUnlock(data);
    return bytes;
  }
  // The text, the test bytes and the metafile, as the clipboard holds them now.
  std::vector<std::string> Read() {
    std::vector<std::string> contents;
    if (!OpenClipboard(window)) return contents;
    for (UINT format : {static_cast<UINT>(CF_UNICODETEXT), bytesFormat, static_cast<UINT>(CF_ENHMETAFILE)})
      contents.push_back(Bytes(format));
    CloseClipboard();
    return contents;
  }
};

#endif
