// The engine's log file: one line per entry, the file opened and closed each time so that
// the log is complete on disk after every call.
#include <stdarg.h>
#include <stdio.h>
#include <time.h>

#include "Engine.h"
#include "FormatText.h"
#include "Messages.h"
#include "WidePath.h"

void TambrelEngine::WriteLog(int level, const char* text) {
  if (!m_options.log) return;
  // A relative name is the working folder's, as the current folder is.
  FILE* file = _wfopen(m_options.logFile.c_str(), L"at");
  if (file == nullptr) {
    // Reported as a box only: logging the failure would come right back here.
    bool log = m_options.log;
    bool showErrors = gShowMessageBox[kLevelError - 1];
    m_options.log = false;
    gShowMessageBox[kLevelError - 1] = true;
    ReportErrorFormat("Can't open log file %s", ShownText(m_options.logFile).c_str());
    m_options.log = log;
    gShowMessageBox[kLevelError - 1] = showErrors;
    return;
  }
  char stamp[32];
  time_t now = time(nullptr);
  strftime(stamp, sizeof stamp, "[%d-%m-%Y %H:%M:%S]", localtime(&now));
  switch (level) {
    case kLevelError: fprintf(file, "%s Error: ", stamp); break;
    case kLevelWarning: fprintf(file, "%s Warning: ", stamp); break;
    case kLevelInfo: fprintf(file, "%s Notice: ", stamp); break;
    default: fprintf(file, "%s Log<%d>: ", stamp, level); break;
  }
  fputs(text, file);
  fputc('\n', file);
  fclose(file);
}

void TambrelEngine::WriteLogFormat(int level, const char* format, ...) {
  if (!m_options.log) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatText(format, args);
  va_end(args);
  WriteLog(level, text.c_str());
}
