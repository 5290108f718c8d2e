// The two drawing services of the main program, bound by name when the library loads (the
// import library of tambrel.exe); the tests link the program's own definitions instead.
#ifndef TAMBRELPLUG_HOSTDRAWING_H
#define TAMBRELPLUG_HOSTDRAWING_H

#include <windows.h>

extern "C" void DrawDialogBackground(HWND window, HDC dc, RECT* rect, int kind);
extern "C" void DrawDialogItem(DRAWITEMSTRUCT* item, unsigned int format);

#endif
