// Pasting a text through the clipboard and putting back what the clipboard held. Windows'
// contract, as this relies on it (Wine implements the calls but not the history and cloud
// clipboard, and its own clipboard bridge to X may read first):
// - Delayed rendering: SetClipboardData(format, NULL) promises data. Whoever asks for it
//   makes the system send the owner WM_RENDERFORMAT while the asker holds the clipboard
//   open, and the owner answers with SetClipboardData alone. A text asked for in another of
//   the text formats is rendered first as well. That request is the only sign that the
//   target read the text; a clipboard manager may ask before it does.
// - Asking for a format that another program renders late makes that program render it
//   while we wait (GetClipboardData): saving the old contents is capped.
// - The registered formats "ExcludeClipboardContentFromMonitorProcessing" (any data),
//   "CanIncludeInClipboardHistory" and "CanUploadToCloudClipboard" (a DWORD 0) keep the
//   content out of clipboard history and cloud clipboard: both the text and the contents
//   put back carry them.
// - The owner of delayed formats gets WM_RENDERALLFORMATS when its window goes, and
//   WM_DESTROYCLIPBOARD whenever the clipboard is emptied.
#ifndef TAMBRELPLUG_CLIPBOARDPASTE_H
#define TAMBRELPLUG_CLIPBOARDPASTE_H

#include <windows.h>

#include <string>
#include <vector>

#include "HeldModifiers.h"

// How much of the old contents is kept: a clipboard beyond these is left alone and the text
// is typed instead.
struct ClipboardLimits {
  size_t formats;
  size_t bytes;
  DWORD milliseconds;  // for asking every format; a late one ends the attempt
};
extern const ClipboardLimits kClipboardLimits;

// A copy of every format of the clipboard that can be put back: memory blocks, metafiles
// and enhanced metafiles. Bitmap and palette handles are left out, since the system makes
// them again from the device-independent bitmap that is kept; display, private and GDI
// object formats cannot be copied.
class ClipboardSnapshot {
 public:
  // With the clipboard open. False when a limit is passed, with the reason; then nothing
  // is kept.
  bool Save(const ClipboardLimits& limits, std::string* why);
  // With the clipboard open and emptied.
  void Restore() const;
  void Clear() { m_items.clear(); }
  size_t Formats() const { return m_items.size(); }
  size_t Bytes() const;
  DWORD SaveMilliseconds() const { return m_saveMs; }

 private:
  enum Kind { kMemory, kEnhMetafile, kMetafilePicture };
  struct Item {
    UINT format;
    Kind kind;
    std::vector<unsigned char> bytes;
    METAFILEPICT picture;  // kMetafilePicture: the header; bytes hold the metafile
  };
  static bool Copy(UINT format, HANDLE data, Item* item);

  std::vector<Item> m_items;
  DWORD m_saveMs = 0;
};

// With the clipboard open: adds the formats that keep its contents out of clipboard history
// and cloud clipboard.
void KeepClipboardOutOfHistory();

// Text with its line breaks (CR LF, CR or LF) as CR LF, as Windows' text formats hold it.
std::wstring ClipboardText(const std::wstring& text);

// One paste at a time: the text goes on the clipboard, Ctrl+V to the foreground window,
// and the old contents back once the target has asked for the text, or after a while.
class ClipboardPaster {
 public:
  // send types the Ctrl+V; the tests record it instead.
  typedef void (*SendKeysProc)(const std::vector<INPUT>& input);
  explicit ClipboardPaster(SendKeysProc send = SendTyped);
  ~ClipboardPaster();  // puts back what a paste still holds
  ClipboardPaster(const ClipboardPaster&) = delete;
  ClipboardPaster& operator=(const ClipboardPaster&) = delete;

  // False, with the reason and the clipboard as it was, when the text cannot be pasted now.
  bool Paste(const std::wstring& text, std::string* why);
  // A paste whose old contents are not back yet.
  bool Pending() const { return m_pending; }
  // Puts them back now, if the clipboard can be opened; true when nothing is pending then.
  bool RestoreNow();
  const ClipboardSnapshot& Saved() const { return m_saved; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnRender(UINT format);
  void OnRenderAll();
  void OnTimer();
  void Finish();
  void Arm(DWORD ms);

  SendKeysProc m_send;
  HWND m_window = nullptr;
  bool m_pending = false;
  bool m_restoring = false;  // our own EmptyClipboard: its WM_DESTROYCLIPBOARD is ours
  std::wstring m_text;       // CR LF line breaks
  ClipboardSnapshot m_saved;
  DWORD m_targetProcess = 0;  // the process of the foreground window at the paste
  DWORD m_since = 0;          // when the paste began, for giving up on putting back
};

#endif
