#include "SequencePage.h"

#include <string.h>

#include <string>

#include "PluginResources.h"
#include "TambrelPlugin.h"
#include "ShortcutText.h"

namespace {

const char kEditProcProperty[] = "TambrelSequenceEditProc";

WNDPROC EditProc(HWND edit) { return reinterpret_cast<WNDPROC>(GetPropA(edit, kEditProcProperty)); }

// The clipboard's text goes in as a shortcut can hold it; the clipboard itself is only read,
// so whatever else the user keeps there stays.
void PasteFiltered(HWND edit) {
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(edit)) return;
  std::string text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      // The block need not hold a terminator within its size.
      text.assign(p, strnlen(p, GlobalSize(data)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();

  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  size_t kept = static_cast<size_t>(GetWindowTextLengthA(edit)) - (end > start ? end - start : 0);
  size_t room = kept < kMaxShortcut ? kMaxShortcut - kept : 0;
  char filtered[kMaxShortcut + 1];
  size_t length = NormalizeShortcut(text.data(), text.size(), filtered, room);
  if (length > 0) SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(filtered));
  if (length == 0 && !text.empty()) MessageBeep(0);
}

LRESULT CALLBACK FilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = EditProc(edit);
  switch (message) {
    case WM_CHAR: {
      WPARAM c = wParam;
      bool control = c == 1 || c == 3 || c == 8 || c == 24 || c == 26;  // ^A ^C BS ^X ^Z
      if (c == 22) {  // ^V: the edit's own paste would take the clipboard as it is
        PasteFiltered(edit);
        return 0;
      }
      if (c >= 'a' && c <= 'z') {
        wParam = c - 'a' + 'A';
      } else if (!control && (c > 0xFF || AlphabetIndex(static_cast<unsigned char>(c)) < 0)) {
        MessageBeep(0);
        return 0;
      }
      break;
    }
    case WM_PASTE:
      PasteFiltered(edit);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(edit, kEditProcProperty);
      break;
  }
  return CallWindowProcA(original, edit, message, wParam, lParam);
}

class Page : public SettingsPage {
 public:
  Page() : SettingsPage(IDD_SEQUENCE_PAGE, PLUGIN_SHORTCUTTYPE, kLayout) {}

 protected:
  void OnInit() override {
    MakeUnicodeEdit(IDC_SEQUENCE_PROGRAMS);
    HWND edit = Item(IDC_SEQUENCE_TEXT);
    SendMessageA(edit, EM_LIMITTEXT, kMaxShortcut, 0);
    // The original procedure is in place before the filter can be called.
    SetPropA(edit, kEditProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(edit, GWLP_WNDPROC)));
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterProc));
  }

 private:
  static constexpr LayoutMapEntry kLayout[] = {
      {IDC_SEQUENCE_TEXT, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_SEQUENCE_PROGRAMS, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
  };
};
constexpr LayoutMapEntry Page::kLayout[];

}  // namespace

SettingsPage& SequencePage() {
  static Page page;
  return page;
}
