#include "StartupShortcut.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "UniqueHandle.h"

namespace {

typedef UniqueHandle<ComTraits<IShellLinkA>> UniqueShellLink;
typedef UniqueHandle<ComTraits<IPersistFile>> UniquePersistFile;

std::string StartupFolder(bool create) {
  char folder[MAX_PATH] = "";
  int csidl = CSIDL_STARTUP | (create ? CSIDL_FLAG_CREATE : 0);
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) return std::string();
  return folder;
}

// IPersistFile takes UTF-16 file names only.
std::wstring WidePath(const std::string& path) {
  WCHAR wide[MAX_PATH] = L"";
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  return wide;
}

bool NewShellLink(UniqueShellLink* link, UniquePersistFile* file) {
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink))))
    return false;
  link->Reset(shellLink);
  IPersistFile* persistFile = nullptr;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persistFile)))) return false;
  file->Reset(persistFile);
  return true;
}

// The program that the shortcut file at path starts; empty when it cannot be read.
std::string ShortcutTarget(const std::string& path) {
  UniqueShellLink link;
  UniquePersistFile file;
  if (!NewShellLink(&link, &file) || FAILED(file.Get()->Load(WidePath(path).c_str(), STGM_READ))) return "";
  char target[MAX_PATH] = "";
  if (FAILED(link.Get()->GetPath(target, MAX_PATH, nullptr, 0))) return "";
  return target;
}

}  // namespace

std::string ThisProgram() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string StartupShortcutPath() {
  std::string folder = StartupFolder(false);
  return folder.empty() ? folder : folder + "\\Tambrel.lnk";
}

std::vector<std::string> FindStartupShortcuts(const std::string& program) {
  std::vector<std::string> found;
  std::string folder = StartupFolder(false);
  if (folder.empty() || program.empty()) return found;
  ComScope com;
  WIN32_FIND_DATAA entry;
  UniqueFind search(FindFirstFileA((folder + "\\*.lnk").c_str(), &entry));
  if (!search) return found;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string path = folder + "\\" + entry.cFileName;
    // A shortcut the user made to this program counts as much as ours.
    if (lstrcmpiA(ShortcutTarget(path).c_str(), program.c_str()) == 0) found.push_back(path);
  } while (FindNextFileA(search.Get(), &entry));
  return found;
}

bool CreateStartupShortcut(const std::string& program, const std::string& workingFolder) {
  std::string folder = StartupFolder(true);
  if (folder.empty() || program.empty()) return false;
  ComScope com;
  UniqueShellLink link;
  UniquePersistFile file;
  if (!NewShellLink(&link, &file)) return false;
  // The working folder is where conf.xml and the plugin libraries lie: the program looks
  // nowhere else for them.
  if (FAILED(link.Get()->SetPath(program.c_str())) ||
      FAILED(link.Get()->SetWorkingDirectory(workingFolder.c_str())) ||
      FAILED(link.Get()->SetDescription("Tambrel: hot keys for the Windows desktop")))
    return false;
  return SUCCEEDED(file.Get()->Save(WidePath(folder + "\\Tambrel.lnk").c_str(), TRUE));
}

bool RemoveStartupShortcuts(const std::string& program) {
  bool removed = true;
  for (const std::string& path : FindStartupShortcuts(program))
    if (!DeleteFileA(path.c_str())) removed = false;
  return removed;
}
