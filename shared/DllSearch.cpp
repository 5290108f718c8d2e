#include "DllSearch.h"

#include <string>

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesProc)(DWORD flags);

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH flags came to Windows 7 with one
// update (KB2533623): a system without it has neither, and importing the function would
// keep the program from starting there.
SetDefaultDllDirectoriesProc DefaultDirectoriesEntry() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<SetDefaultDllDirectoriesProc>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

}  // namespace

bool RestrictDllSearch() {
  // The default folders are the program's own, System32 and any added with AddDllDirectory.
  // System32 alone would break shell extensions that the file dialogs load under this
  // process-wide setting.
  if (SetDefaultDllDirectoriesProc restrict = DefaultDirectoriesEntry())
    if (restrict(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) return true;
  // Without the update at least the current folder goes; PATH stays.
  return SetDllDirectoryA("") != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  // A 32-bit program asking for System32 is given SysWOW64 by the file system redirection,
  // which is what it needs.
  std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, 0);
}

HMODULE LoadPluginLibrary(const wchar_t* path) {
  // Without the update: the library's own folder first for what it imports, the rest as
  // RestrictDllSearch left it.
  DWORD flags = DefaultDirectoriesEntry() != nullptr ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
                                                     : LOAD_WITH_ALTERED_SEARCH_PATH;
  return LoadLibraryExW(path, nullptr, flags);
}
