#include "Messages.h"

#include <stdarg.h>
#include <stdio.h>

#include <string>

#include "Engine.h"
#include "FormatText.h"

bool gShowMessageBox[3] = {true, true, true};
MessageBoxProc gMessageBox = MessageBoxA;

static void Report(int level, UINT icon, const char* text) {
  if (gShowMessageBox[level - 1]) gMessageBox(nullptr, text, "Tambrel", MB_OK | icon);
  if (TambrelEngine* engine = TambrelEngine::Instance()) engine->WriteLog(level, text);
}

bool AskQuestion(const char* text) {
  return gMessageBox(nullptr, text, "Tambrel", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

QuietReports::QuietReports() {
  for (int i = 0; i < 3; ++i) {
    m_saved[i] = gShowMessageBox[i];
    gShowMessageBox[i] = false;
  }
}

QuietReports::~QuietReports() {
  for (int i = 0; i < 3; ++i) gShowMessageBox[i] = m_saved[i];
}

void ReportError(const char* text) { Report(kLevelError, MB_ICONERROR, text); }
void ReportWarning(const char* text) { Report(kLevelWarning, MB_ICONWARNING, text); }
void ReportInfo(const char* text) { Report(kLevelInfo, MB_ICONINFORMATION, text); }

std::string FormatText(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length < 0) return std::string();
  std::string text(static_cast<size_t>(length), '\0');
  vsnprintf(&text[0], text.size() + 1, format, args);
  return text;
}

#define REPORT_FORMATTED(helper)                 \
  va_list args;                                  \
  va_start(args, format);                        \
  std::string text = FormatText(format, args);   \
  va_end(args);                                  \
  helper(text.c_str())

void ReportErrorFormat(const char* format, ...) { REPORT_FORMATTED(ReportError); }
void ReportWarningFormat(const char* format, ...) { REPORT_FORMATTED(ReportWarning); }
void ReportInfoFormat(const char* format, ...) { REPORT_FORMATTED(ReportInfo); }
