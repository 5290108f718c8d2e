// User messages: a box captioned "Tambrel", then a line in the log file while an engine
// exists. Only the main program reports this way; plugins have no access to it.
#ifndef TAMBREL_MESSAGES_H
#define TAMBREL_MESSAGES_H

#include <windows.h>

enum ReportLevel { kLevelError = 1, kLevelWarning = 2, kLevelInfo = 3 };

void ReportError(const char* text);
void ReportWarning(const char* text);
void ReportInfo(const char* text);
void ReportErrorFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ReportWarningFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ReportInfoFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Show a box for this level; index = level - 1. All start on.
extern bool gShowMessageBox[3];

// The box itself, MessageBoxA unless a test puts its own in. A box blocks the thread until
// the user dismisses it.
typedef int(WINAPI* MessageBoxProc)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
extern MessageBoxProc gMessageBox;

#endif
