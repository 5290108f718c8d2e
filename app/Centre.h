#ifndef TAMBREL_CENTRE_H
#define TAMBREL_CENTRE_H

#include <windows.h>

#include <algorithm>

#include "Dpi.h"
#include "UniqueHandle.h"

// Moves a top-level window to the middle of the desktop's work area.
inline void CentreOnWorkArea(HWND window) {
  RECT work, rect;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The smallest size a window may be dragged to, given for 96 DPI: scaled to its DPI, and
// never more than the work area of its monitor, or a window at 200% on a small screen could
// not be made to fit it.
inline void SetMinimumTrackSize(HWND window, MINMAXINFO* info, int width, int height, UINT dpi) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  info->ptMinTrackSize.x = std::min<LONG>(ScaleForDpi(width, dpi), work.right - work.left);
  info->ptMinTrackSize.y = std::min<LONG>(ScaleForDpi(height, dpi), work.bottom - work.top);
}

// A dialog's big and small icon, icon resource 1 of the program at the sizes of its DPI.
// Loaded for each size rather than shared: a shared icon keeps the size it was first loaded
// with.
class ProgramIcons {
 public:
  void Set(HWND window, UINT dpi) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    UniqueIcon big(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                 SystemMetricForDpi(SM_CXICON, dpi),
                                                 SystemMetricForDpi(SM_CYICON, dpi), 0)));
    UniqueIcon small(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                   SystemMetricForDpi(SM_CXSMICON, dpi),
                                                   SystemMetricForDpi(SM_CYSMICON, dpi), 0)));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
    // The window shows the new ones now: the old ones can go.
    m_big = std::move(big);
    m_small = std::move(small);
  }

 private:
  UniqueIcon m_big, m_small;
};

#endif
