#include "StartupShortcut.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "UniqueHandle.h"

namespace {

typedef UniqueHandle<ComTraits<IShellLinkW>> UniqueShellLink;
typedef UniqueHandle<ComTraits<IPersistFile>> UniquePersistFile;

std::wstring StartupFolder(bool create) {
  wchar_t folder[MAX_PATH] = L"";
  int csidl = CSIDL_STARTUP | (create ? CSIDL_FLAG_CREATE : 0);
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) return std::wstring();
  return folder;
}

// The shell's link object and its file side; IPersistFile takes UTF-16 file names only.
bool NewShellLink(UniqueShellLink* link, UniquePersistFile* file) {
  IShellLinkW* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shellLink))))
    return false;
  link->Reset(shellLink);
  IPersistFile* persistFile = nullptr;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persistFile)))) return false;
  file->Reset(persistFile);
  return true;
}

// The program that the shortcut file at path starts; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& path) {
  UniqueShellLink link;
  UniquePersistFile file;
  if (!NewShellLink(&link, &file) || FAILED(file.Get()->Load(path.c_str(), STGM_READ))) return std::wstring();
  wchar_t target[MAX_PATH] = L"";
  // The item list holds the target's names in UTF-16 (Wine keeps the path beside it in the
  // code page only); a shortcut without one has its path.
  PIDLIST_ABSOLUTE items = nullptr;
  if (link.Get()->GetIDList(&items) == S_OK && items != nullptr) {
    BOOL named = SHGetPathFromIDListW(items, target);
    CoTaskMemFree(items);
    if (named) return target;
  }
  // S_FALSE: the shortcut names no file.
  if (link.Get()->GetPath(target, MAX_PATH, nullptr, 0) != S_OK) return std::wstring();
  return target;
}

}  // namespace

std::wstring ThisProgram() {
  // A path may be longer than MAX_PATH; a buffer that was filled to the end cut it.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) return path.substr(0, length);
    if (path.size() >= 32768) return std::wstring();
    path.resize(path.size() * 2);
  }
}

std::wstring StartupShortcutPath() {
  std::wstring folder = StartupFolder(false);
  return folder.empty() ? folder : folder + L"\\Tambrel.lnk";
}

std::vector<std::wstring> FindStartupShortcuts(const std::wstring& program) {
  std::vector<std::wstring> found;
  std::wstring folder = StartupFolder(false);
  if (folder.empty() || program.empty()) return found;
  ComScope com;
  WIN32_FIND_DATAW entry;
  UniqueFind search(FindFirstFileW((folder + L"\\*.lnk").c_str(), &entry));
  if (!search) return found;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring path = folder + L"\\" + entry.cFileName;
    // A shortcut the user made to this program counts as much as ours.
    if (lstrcmpiW(ShortcutTarget(path).c_str(), program.c_str()) == 0) found.push_back(path);
  } while (FindNextFileW(search.Get(), &entry));
  return found;
}

bool CreateStartupShortcut(const std::wstring& program, const std::wstring& workingFolder) {
  std::wstring folder = StartupFolder(true);
  if (folder.empty() || program.empty()) return false;
  ComScope com;
  UniqueShellLink link;
  UniquePersistFile file;
  if (!NewShellLink(&link, &file)) return false;
  // The working folder is where conf.xml and the plugin libraries lie: the program looks
  // nowhere else for them.
  if (FAILED(link.Get()->SetPath(program.c_str())) || FAILED(link.Get()->SetWorkingDirectory(workingFolder.c_str())) ||
      FAILED(link.Get()->SetDescription(L"Tambrel: hot keys for the Windows desktop")))
    return false;
  return SUCCEEDED(file.Get()->Save((folder + L"\\Tambrel.lnk").c_str(), TRUE));
}

bool RemoveStartupShortcuts(const std::wstring& program) {
  bool removed = true;
  for (const std::wstring& path : FindStartupShortcuts(program))
    if (!DeleteFileW(path.c_str())) removed = false;
  return removed;
}
