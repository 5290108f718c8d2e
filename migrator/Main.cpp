// migrator.exe: converts an old bindings file into configuration text.
#include <windows.h>

#include <stdio.h>

#include <string>

#include "Migrator.h"

// wmain (-municode): the old file's path keeps every character, whatever the system code page
// lacks; its contents stay in the code page. The texts name the path in the code page, with
// "?" for what it lacks.
int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return RunMigrator(nullptr, nullptr);
  // No best fit: a look-alike would name another file. (A UTF-8 code page takes no flags.)
  DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  std::string shown;
  int length = WideCharToMultiByte(CP_ACP, flags, argv[1], -1, nullptr, 0, nullptr, nullptr);
  if (length > 1) {
    shown.resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_ACP, flags, argv[1], -1, &shown[0], length, nullptr, nullptr);
    shown.resize(static_cast<size_t>(length) - 1);
  }
  return RunMigrator(shown.c_str(), _wfopen(argv[1], L"rb"));
}
