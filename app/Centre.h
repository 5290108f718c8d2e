#ifndef TAMBREL_CENTRE_H
#define TAMBREL_CENTRE_H

#include <windows.h>

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

// Sets a dialog's big and small icon from icon resource 1 of the program.
inline void SetProgramIcons(HWND window) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  HANDLE big = LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                          GetSystemMetrics(SM_CYICON), LR_SHARED);
  HANDLE small = LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                            GetSystemMetrics(SM_CYSMICON), LR_SHARED);
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

#endif
