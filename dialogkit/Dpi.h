// Scaling for the monitor a window is on. Tambrel declares itself per-monitor aware (v2, with
// per-monitor and system-aware fallbacks) in its manifest, so Windows draws it unstretched
// and leaves every pixel value to the program: sizes, fonts, icons and padding written for
// 96 DPI (100%) are multiplied by the window's DPI / 96, and a window that moves to a
// monitor of another DPI gets WM_DPICHANGED with the DPI and the rectangle Windows suggests.
//
// Everything here that only Windows shows sits in this one place:
//  - GetDpiForWindow and GetSystemMetricsForDpi exist from Windows 10 1607, per-monitor v2
//    and SetDialogDpiChangeBehavior from 1703: all are looked up at run time. Before 1607
//    the monitor's DPI comes from GetDpiForMonitor (8.1, shcore.dll), before 8.1 from the
//    screen (the system DPI).
//  - Under v2 the dialog manager itself rescales a dialog's font, its controls and its size
//    on a DPI change; an anchored layout of our own would then work from pixels that moved
//    under it. TakeOverDpiChanges turns that off for a dialog, which then handles the change
//    itself (DialogLayout does).
//  - Under the per-monitor v1 fallback (8.1 to 1607) the caption and frame stay at the
//    system DPI; only the client area follows the monitor.
// Wine gives every window the one DPI of its prefix (LogPixels) and never sends
// WM_DPICHANGED: the tests send a synthetic one.
#ifndef DIALOGKIT_DPI_H
#define DIALOGKIT_DPI_H

#include <windows.h>

const UINT kDefaultDpi = 96;

// WM_DPICHANGED_AFTERPARENT (Windows 10 1703), above the WINVER this project builds for:
// sent to the child windows of a window whose DPI changed, once it has its new size.
const UINT kDpiChangedAfterParent = 0x02E3;

// A value meant for 96 DPI at dpi, rounded to nearest.
inline int ScaleForDpi(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), kDefaultDpi); }

// The DPI of the monitor the window is on, as far as this Windows can tell.
UINT WindowDpi(HWND window);

// GetSystemMetrics for a DPI: the system's own value at the system DPI, scaled otherwise.
int SystemMetricForDpi(int index, UINT dpi);

// Keeps the dialog manager from rescaling this dialog on a DPI change (Windows 10 1703 and
// later; elsewhere nothing does it anyway).
void TakeOverDpiChanges(HWND dialog);

// The new DPI that a WM_DPICHANGED carries.
inline UINT DpiOfChange(WPARAM wParam) { return LOWORD(wParam); }

// The rectangle a WM_DPICHANGED suggests, taken: the window keeps its place on the monitor
// and gets the size of its content at the new DPI.
void MoveToSuggestedRect(HWND window, LPARAM lParam);

#endif
