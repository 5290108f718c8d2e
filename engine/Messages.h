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

// A question with Yes and No, captioned "Tambrel"; true for Yes. It is asked even where
// boxes are off for reports.
bool AskQuestion(const char* text);

// Show a box for this level; index = level - 1. All start on.
extern bool gShowMessageBox[3];

// While one lives, reports go to the log only: for work the user did not start, such as
// loading a file that another program changed.
class QuietReports {
 public:
  QuietReports();
  ~QuietReports();
  QuietReports(const QuietReports&) = delete;
  QuietReports& operator=(const QuietReports&) = delete;

 private:
  bool m_saved[3];
};

// The box itself, MessageBoxA unless a test puts its own in. A box blocks the thread until
// the user dismisses it.
typedef int(WINAPI* MessageBoxProc)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
extern MessageBoxProc gMessageBox;

#endif
