// The probe plugin of the user-interface benchmark, loaded by the real tambrel.exe from its
// working folder: through its message window it clicks the main window's buttons for the
// driver and times them, and the repaint that follows apart, painted as the loop paints. It does nothing when the
// driver's section is not there.
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>

#include "NullPlugin.h"
#include "PluginResources.h"
#include "UiProbe.h"
#include "resource.h"

namespace {

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

struct MainSearch {
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  if (GetDlgItem(window, IDC_MAIN_BINDINGS) == nullptr) return TRUE;
  reinterpret_cast<MainSearch*>(param)->found = window;
  return FALSE;
}

HWND MainWindow() {
  MainSearch search = {nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The edit field of the sequence page on the shortcut tab.
HWND ShortcutEdit(HWND main) {
  for (HWND page = GetWindow(GetDlgItem(main, IDC_MAIN_TABS), GW_CHILD); page != nullptr;
       page = GetWindow(page, GW_HWNDNEXT))
    if (GetWindowLongA(page, GWL_STYLE) & WS_VISIBLE)
      if (HWND edit = GetDlgItem(page, IDC_SEQUENCE_TEXT)) return edit;
  return nullptr;
}

class UiProbePlugin : public NullPlugin {
 public:
  const char* GetName() override { return "UI Probe Plugin"; }
  const char* GetGuid() override { return "{0017E570-0000-0000-0000-0000000000B1}"; }
  void Release() override {
    if (m_window != nullptr) DestroyWindow(m_window);
    m_window = nullptr;
    if (m_board != nullptr) UnmapViewOfFile(m_board);
    m_board = nullptr;
    if (m_section != nullptr) CloseHandle(m_section);
    m_section = nullptr;
  }
  void SetEngine(Engine* engine) override {
    if (engine != nullptr) m_engine = engine;
  }
  void SetEnabled(bool enabled) override {
    m_enabled = enabled;
    if (enabled && m_board == nullptr) Open();
  }

 private:
  void Open() {
    char text[32] = "";
    if (FILE* file = fopen("probe.txt", "r")) {
      if (!fgets(text, sizeof text, file)) text[0] = '\0';
      fclose(file);
    }
    if (text[0] == '\0') return;
    char name[64];
    snprintf(name, sizeof name, "%s%lu", kProbeBoardPrefix, strtoul(text, nullptr, 10));
    m_section = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (m_section == nullptr) return;
    m_board = static_cast<ProbeBoard*>(MapViewOfFile(m_section, FILE_MAP_WRITE, 0, 0, sizeof(ProbeBoard)));
    if (m_board == nullptr) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA("uiprobe.dll");
    wc.lpszClassName = "TambrelUiProbe";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_board->window = m_window;
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    UiProbePlugin* self = reinterpret_cast<UiProbePlugin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == kProbeCommand && self != nullptr) return self->Command(static_cast<int>(wParam), lParam);
    if (message == kProbeCommand + 1 && self != nullptr && self->m_engine != nullptr) {
      self->m_engine->Quit();
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  // Paints what is left to paint as the message loop does: one window at a time, with the
  // keyboard hook's calls (sent messages) answered in between.
  static void PaintAsTheLoopDoes() {
    MSG msg;
    for (int n = 0; n < 1000 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++n)
      DispatchMessageA(&msg);
  }

  // Clicks a button of the main window as the user would, then lets it paint.
  void TimedClick(HWND main, int button) {
    LONGLONG began = Now();
    SendMessageA(GetDlgItem(main, button), BM_CLICK, 0, 0);
    LONGLONG handled = Now();
    PaintAsTheLoopDoes();
    m_board->opTicks = handled - began;
    m_board->paintTicks = Now() - handled;
  }

  LRESULT Command(int command, LPARAM argument) {
    HWND main = MainWindow();
    if (main == nullptr || m_engine == nullptr) return 0;
    HWND list = GetDlgItem(main, IDC_MAIN_BINDINGS);
    switch (command) {
      case kSelectRow: {
        int row = static_cast<int>(argument);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, row, FALSE);
        PaintAsTheLoopDoes();
        break;
      }
      case kSaveShortcut: {
        HWND edit = ShortcutEdit(main);
        if (edit == nullptr) return 0;
        char text[11];
        ProbeShortcut(static_cast<unsigned>(argument), text);
        SetWindowTextA(edit, text);
        TimedClick(main, IDC_MAIN_SAVE);
        break;
      }
      case kCopyBinding:
        TimedClick(main, IDC_MAIN_COPY);
        break;
      case kDeleteBinding:
        TimedClick(main, IDC_MAIN_DELETE);
        break;
      case kHideMain: {
        LONGLONG began = Now();
        m_engine->ShowDialog(0, false);
        m_board->opTicks = Now() - began;
        break;
      }
      case kShowMain: {
        LONGLONG began = Now();
        m_engine->ShowDialog(0, true);
        PaintAsTheLoopDoes();
        m_board->opTicks = Now() - began;
        break;
      }
      case kSearchKey: {
        // As the box gets it from the dialog manager: the character, or Escape's key-down,
        // which the box claims.
        HWND box = GetDlgItem(main, IDC_MAIN_SEARCH);
        if (box == nullptr) return 0;
        LONGLONG began = Now();
        if (argument == VK_ESCAPE)
          SendMessageA(box, WM_KEYDOWN, VK_ESCAPE, 1);
        else
          SendMessageA(box, WM_CHAR, static_cast<WPARAM>(argument), 1);
        LONGLONG handled = Now();
        PaintAsTheLoopDoes();
        m_board->opTicks = handled - began;
        m_board->paintTicks = Now() - handled;
        break;
      }
      case kQuit:
        // Not from inside the driver's call: the window it is made to goes with the others.
        PostMessageA(m_window, kProbeCommand + 1, 0, 0);
        return 1;
      default:
        return 0;
    }
    m_board->rows = static_cast<LONG>(ListView_GetItemCount(list));
    return 1;
  }

  Engine* m_engine = nullptr;
  HANDLE m_section = nullptr;
  ProbeBoard* m_board = nullptr;
  HWND m_window = nullptr;
};

UiProbePlugin gPlugin;

}  // namespace

extern "C" __declspec(dllexport) unsigned __stdcall GetPluginsInfo(Plugin*** out) {
  static Plugin* plugins[] = {&gPlugin};
  *out = plugins;
  return 1;
}
