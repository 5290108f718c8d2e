#include "DebugAssert.h"

#ifndef NDEBUG
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

void DebugAssertFailed(const char* text, const char* file, int line) {
  char message[512];
  snprintf(message, sizeof message, "Assertion failed: %s, file %s, line %d\n", text, file, line);
  OutputDebugStringA(message);
  fputs(message, stderr);
  abort();
}
#endif
