#include "Dpi.h"

namespace {

typedef UINT(WINAPI* GetDpiForWindowProc)(HWND);
typedef int(WINAPI* GetSystemMetricsForDpiProc)(int, UINT);
typedef BOOL(WINAPI* SetDialogDpiChangeBehaviorProc)(HWND, int, int);
typedef HRESULT(WINAPI* GetDpiForMonitorProc)(HMONITOR, int, UINT*, UINT*);

// The entries of this Windows, looked up once; null where it lacks them.
struct DpiEntries {
  GetDpiForWindowProc getDpiForWindow;
  GetSystemMetricsForDpiProc getSystemMetricsForDpi;
  SetDialogDpiChangeBehaviorProc setDialogDpiChangeBehavior;
  GetDpiForMonitorProc getDpiForMonitor;

  DpiEntries() {
    HMODULE user = GetModuleHandleA("user32.dll");
    getDpiForWindow = reinterpret_cast<GetDpiForWindowProc>(Entry(user, "GetDpiForWindow"));
    getSystemMetricsForDpi = reinterpret_cast<GetSystemMetricsForDpiProc>(Entry(user, "GetSystemMetricsForDpi"));
    setDialogDpiChangeBehavior =
        reinterpret_cast<SetDialogDpiChangeBehaviorProc>(Entry(user, "SetDialogDpiChangeBehavior"));
    // shcore.dll is not loaded by anything else of ours: only where the newer entry is
    // missing, and then kept for the life of the process.
    getDpiForMonitor = nullptr;
    if (getDpiForWindow == nullptr) {
      wchar_t path[MAX_PATH];
      UINT length = GetSystemDirectoryW(path, MAX_PATH - 12);
      if (length > 0 && length < MAX_PATH - 12) {
        lstrcatW(path, L"\\shcore.dll");
        if (HMODULE shcore = LoadLibraryW(path))
          getDpiForMonitor = reinterpret_cast<GetDpiForMonitorProc>(Entry(shcore, "GetDpiForMonitor"));
      }
    }
  }

  static void* Entry(HMODULE module, const char* name) {
    return module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
  }
};

const DpiEntries& Entries() {
  static const DpiEntries entries;
  return entries;
}

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

// DIALOG_DPI_CHANGE_BEHAVIORS: DDC_DISABLE_ALL.
const int kDialogDpiChangeDisableAll = 0x0001;
// MONITOR_DPI_TYPE: MDT_EFFECTIVE_DPI.
const int kEffectiveDpi = 0;

}  // namespace

UINT WindowDpi(HWND window) {
  const DpiEntries& entries = Entries();
  if (entries.getDpiForWindow != nullptr && window != nullptr) {
    UINT dpi = entries.getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  if (entries.getDpiForMonitor != nullptr && window != nullptr) {
    UINT x = 0, y = 0;
    if (SUCCEEDED(entries.getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) &&
        y != 0)
      return y;
  }
  return ScreenDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
  const DpiEntries& entries = Entries();
  if (entries.getSystemMetricsForDpi != nullptr) return entries.getSystemMetricsForDpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

void TakeOverDpiChanges(HWND dialog) {
  const DpiEntries& entries = Entries();
  if (entries.setDialogDpiChangeBehavior != nullptr)
    entries.setDialogDpiChangeBehavior(dialog, kDialogDpiChangeDisableAll, kDialogDpiChangeDisableAll);
}

void MoveToSuggestedRect(HWND window, LPARAM lParam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  if (suggested == nullptr) return;
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}
