#include "ClipboardPaste.h"

#include <stdio.h>
#include <string.h>

#include "BuiltInPlugin.h"
#include "HostLog.h"

const ClipboardLimits kClipboardLimits = {64, 64u << 20, 250};

namespace {

const char kWindowClass[] = "TambrelClipboardPaster";
const UINT_PTR kRestoreTimer = 1;
const DWORD kUnreadMs = 2000;    // no sign that the target read the text: put back after this
const DWORD kAfterReadMs = 30;   // the target asked: it closes the clipboard soon
const DWORD kRetryMs = 20;       // someone holds the clipboard open
const DWORD kGiveUpMs = 10000;   // since the paste: the old contents cannot be put back

DWORD Elapsed(DWORD since) { return GetTickCount() - since; }

HGLOBAL GlobalCopy(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size != 0 ? size : 1);
  if (memory == nullptr) return nullptr;
  if (void* target = GlobalLock(memory)) {
    if (size != 0) memcpy(target, data, size);
    GlobalUnlock(memory);
  }
  return memory;
}

// The clipboard takes the data; where it refuses, the data are ours to free.
void Put(UINT format, HGLOBAL memory) {
  if (memory != nullptr && SetClipboardData(format, memory) == nullptr) GlobalFree(memory);
}

bool CannotBeCopied(UINT format) {
  return format == CF_BITMAP || format == CF_PALETTE || format == CF_OWNERDISPLAY || format == CF_DSPBITMAP ||
         format == CF_DSPMETAFILEPICT || format == CF_DSPENHMETAFILE ||
         (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) || (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
}

}  // namespace

// One format's data as it can be put back; false when there is nothing to keep.
bool ClipboardSnapshot::Copy(UINT format, HANDLE data, Item* item) {
  item->format = format;
  if (format == CF_ENHMETAFILE) {
    HENHMETAFILE metafile = static_cast<HENHMETAFILE>(data);
    UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    item->kind = kEnhMetafile;
    item->bytes.resize(size);
    return size != 0 && GetEnhMetaFileBits(metafile, size, item->bytes.data()) == size;
  }
  const void* locked = GlobalLock(data);
  if (locked == nullptr) return false;
  bool kept = true;
  if (format == CF_METAFILEPICT) {
    item->kind = kMetafilePicture;
    item->picture = *static_cast<const METAFILEPICT*>(locked);
    UINT size = GetMetaFileBitsEx(item->picture.hMF, 0, nullptr);
    item->bytes.resize(size);
    kept = size != 0 && GetMetaFileBitsEx(item->picture.hMF, size, item->bytes.data()) == size;
  } else {
    item->kind = kMemory;
    const unsigned char* bytes = static_cast<const unsigned char*>(locked);
    item->bytes.assign(bytes, bytes + GlobalSize(data));
  }
  GlobalUnlock(data);
  return kept;
}

bool ClipboardSnapshot::Save(const ClipboardLimits& limits, std::string* why) {
  m_items.clear();
  DWORD began = GetTickCount();
  size_t bytes = 0;
  char reason[128] = "";
  for (UINT format = EnumClipboardFormats(0); format != 0 && reason[0] == '\0'; format = EnumClipboardFormats(format)) {
    if (CannotBeCopied(format)) continue;
    HANDLE data = GetClipboardData(format);  // a late format is rendered now, while we wait
    if (data != nullptr && format != CF_ENHMETAFILE && format != CF_METAFILEPICT &&
        bytes + GlobalSize(data) > limits.bytes) {
      bytes += GlobalSize(data);  // not copied: the limit is passed already
    } else if (data != nullptr) {
      Item item = {};
      if (Copy(format, data, &item)) {
        bytes += item.bytes.size();
        m_items.push_back(std::move(item));
      }
    }
    if (m_items.size() > limits.formats)
      snprintf(reason, sizeof reason, "the clipboard holds more than %u formats", static_cast<unsigned>(limits.formats));
    else if (bytes > limits.bytes)
      snprintf(reason, sizeof reason, "the clipboard holds more than %u MB", static_cast<unsigned>(limits.bytes >> 20));
    else if (Elapsed(began) > limits.milliseconds)
      snprintf(reason, sizeof reason, "reading the clipboard took more than %lu ms",
               static_cast<unsigned long>(limits.milliseconds));
  }
  m_saveMs = Elapsed(began);
  if (reason[0] == '\0') return true;
  m_items.clear();
  if (why != nullptr) *why = reason;
  return false;
}

void ClipboardSnapshot::Restore() const {
  for (const Item& item : m_items) {
    if (item.kind == kMemory) {
      Put(item.format, GlobalCopy(item.bytes.data(), item.bytes.size()));
    } else if (item.kind == kEnhMetafile) {
      HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(item.bytes.size()), item.bytes.data());
      if (metafile != nullptr && SetClipboardData(item.format, metafile) == nullptr) DeleteEnhMetaFile(metafile);
    } else {
      METAFILEPICT picture = item.picture;
      picture.hMF = SetMetaFileBitsEx(static_cast<UINT>(item.bytes.size()), item.bytes.data());
      if (picture.hMF == nullptr) continue;
      HGLOBAL memory = GlobalCopy(&picture, sizeof picture);
      if (memory == nullptr || SetClipboardData(item.format, memory) == nullptr) {
        DeleteMetaFile(picture.hMF);
        if (memory != nullptr) GlobalFree(memory);
      }
    }
  }
}

size_t ClipboardSnapshot::Bytes() const {
  size_t bytes = 0;
  for (const Item& item : m_items) bytes += item.bytes.size();
  return bytes;
}

void KeepClipboardOutOfHistory() {
  const DWORD no = 0;
  Put(RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing"), GlobalCopy(&no, sizeof no));
  Put(RegisterClipboardFormatA("CanIncludeInClipboardHistory"), GlobalCopy(&no, sizeof no));
  Put(RegisterClipboardFormatA("CanUploadToCloudClipboard"), GlobalCopy(&no, sizeof no));
}

std::wstring ClipboardText(const std::wstring& text) {
  std::wstring crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      crlf += L"\r\n";
    } else {
      crlf += text[i];
    }
  }
  return crlf;
}

ClipboardPaster::ClipboardPaster(SendKeysProc send) : m_send(send) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = PluginModule();
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);  // fails harmlessly when it is registered already
  // A message-only window: it owns the clipboard while a paste is under way.
  m_window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, PluginModule(), nullptr);
  if (m_window != nullptr) SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ClipboardPaster::~ClipboardPaster() {
  if (m_window == nullptr) return;
  RestoreNow();
  // Still pending (the clipboard held open): the text stays there, rendered now.
  DestroyWindow(m_window);
}

bool ClipboardPaster::Paste(const std::wstring& text, std::string* why) {
  if (m_window == nullptr) {
    *why = "no window owns the clipboard";
    return false;
  }
  if (m_pending) {
    *why = "the last paste's clipboard contents are not back yet";
    return false;
  }
  if (!OpenClipboard(m_window)) {
    char reason[96];
    snprintf(reason, sizeof reason, "the clipboard could not be opened (error %lu)",
             static_cast<unsigned long>(GetLastError()));
    *why = reason;
    return false;
  }
  if (!m_saved.Save(kClipboardLimits, why)) {
    CloseClipboard();
    return false;
  }
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, nullptr);  // rendered when asked for: that is the sign of the read
  KeepClipboardOutOfHistory();
  CloseClipboard();
  m_text = ClipboardText(text);
  m_pending = true;
  m_since = GetTickCount();
  m_targetProcess = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &m_targetProcess);
  Arm(kUnreadMs);
  INPUT keys[4] = {KeyInput(VK_CONTROL, false), KeyInput('V', false), KeyInput('V', true), KeyInput(VK_CONTROL, true)};
  m_send(std::vector<INPUT>(keys, keys + 4));
  return true;
}

void ClipboardPaster::Arm(DWORD ms) { SetTimer(m_window, kRestoreTimer, ms, nullptr); }

void ClipboardPaster::Finish() {
  m_pending = false;
  m_text.clear();
  m_text.shrink_to_fit();
  m_saved.Clear();
  KillTimer(m_window, kRestoreTimer);
}

bool ClipboardPaster::RestoreNow() {
  if (!m_pending) return true;
  // Someone put new contents there meanwhile: they stay, and ours are dropped.
  if (GetClipboardOwner() != m_window) {
    Finish();
    return true;
  }
  if (!OpenClipboard(m_window)) return false;
  m_restoring = true;
  EmptyClipboard();
  m_saved.Restore();
  KeepClipboardOutOfHistory();
  m_restoring = false;
  CloseClipboard();
  Finish();
  return true;
}

// While the asker holds the clipboard open: no OpenClipboard here.
void ClipboardPaster::OnRender(UINT format) {
  if (format != CF_UNICODETEXT || !m_pending) return;
  Put(CF_UNICODETEXT, GlobalCopy(m_text.c_str(), (m_text.size() + 1) * sizeof(wchar_t)));
  // The target's own process asking (or one that names no window) is the read we wait for;
  // another program (a clipboard manager) leaves it to the timer.
  DWORD asker = 0;
  HWND opener = GetOpenClipboardWindow();
  if (opener != nullptr) GetWindowThreadProcessId(opener, &asker);
  if (opener == nullptr || asker == m_targetProcess) Arm(kAfterReadMs);
}

void ClipboardPaster::OnRenderAll() {
  if (!m_pending || !OpenClipboard(m_window)) return;
  if (GetClipboardOwner() == m_window)
    Put(CF_UNICODETEXT, GlobalCopy(m_text.c_str(), (m_text.size() + 1) * sizeof(wchar_t)));
  CloseClipboard();
}

void ClipboardPaster::OnTimer() {
  if (RestoreNow()) return;
  if (Elapsed(m_since) < kGiveUpMs) {
    Arm(kRetryMs);
    return;
  }
  Finish();
  WriteLogLine(kLogNotice, "Type Text: the clipboard's contents before the paste could not be put back");
}

LRESULT CALLBACK ClipboardPaster::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ClipboardPaster* paster = reinterpret_cast<ClipboardPaster*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (paster == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_RENDERFORMAT:
      paster->OnRender(static_cast<UINT>(wParam));
      return 0;
    case WM_RENDERALLFORMATS:
      paster->OnRenderAll();
      return 0;
    case WM_DESTROYCLIPBOARD:
      // Emptied by someone else: whatever comes now is theirs, and the old contents stay away.
      if (!paster->m_restoring && paster->m_pending) paster->Finish();
      return 0;
    case WM_TIMER:
      if (wParam == kRestoreTimer) paster->OnTimer();
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
