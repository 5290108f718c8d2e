// What the program exports to plugin libraries so that their settings pages blend into its
// dialogs, themed or not; and the optional binding of the theme library behind it.
#ifndef TAMBREL_DRAWEXPORTS_H
#define TAMBREL_DRAWEXPORTS_H

#include <windows.h>

#if defined(TAMBREL_EXPORTS)
#define TAMBREL_API extern "C" __declspec(dllexport)
#else
#define TAMBREL_API extern "C" __declspec(dllimport)
#endif

TAMBREL_API void DrawDialogBackground(HWND window, HDC dc, RECT* rect, int kind);
TAMBREL_API void DrawDialogItem(DRAWITEMSTRUCT* item, unsigned int format);
// And a line in the log file, so that a plugin can say what it did and why: level 1 Error,
// 2 Warning, 3 Notice; written while an engine exists and logging is on.
TAMBREL_API void WriteLogLine(int level, const char* text);

// "uxtheme.dll" with DrawThemeParentBackground, or nothing: the plain fill is used then.
void BindTheme();
void UnbindTheme();
bool ThemeBound();

#endif
