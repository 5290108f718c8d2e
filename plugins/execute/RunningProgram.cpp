#include "RunningProgram.h"

#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "HeldModifiers.h"
#include "ProgramFilter.h"
#include "UniqueHandle.h"

namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
  return !folder.empty() && path.size() > folder.size() && path[folder.size()] == L'\\' &&
         SameText(path.substr(0, folder.size()), folder);
}

std::wstring FileNamePart(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// A path with ".." and short names resolved, as a process's image is named.
std::wstring FullLongPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2];
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  if (length == 0 || length >= MAX_PATH * 2) return path;
  wchar_t longer[MAX_PATH * 2];
  length = GetLongPathNameW(full, longer, MAX_PATH * 2);  // fails for a file that is not there
  return length != 0 && length < MAX_PATH * 2 ? longer : full;
}

// The target of a shortcut file; empty when it has none that is a file.
std::wstring LinkTarget(const std::wstring& path) {
  ComScope com;
  IShellLinkW* raw = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&raw))))
    return std::wstring();
  UniqueHandle<ComTraits<IShellLinkW>> link(raw);
  IPersistFile* rawFile = nullptr;
  if (FAILED(raw->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return std::wstring();
  UniqueHandle<ComTraits<IPersistFile>> file(rawFile);
  wchar_t target[MAX_PATH * 2] = L"";
  if (FAILED(rawFile->Load(FullLongPath(path).c_str(), STGM_READ)) ||
      raw->GetPath(target, MAX_PATH * 2, nullptr, 0) != S_OK)
    return std::wstring();
  return target;
}

std::wstring ImageOfProcess(DWORD process) {
  UniqueKernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return std::wstring();
  wchar_t image[MAX_PATH * 2];
  DWORD length = MAX_PATH * 2;
  return QueryFullProcessImageNameW(handle.Get(), 0, image, &length) ? std::wstring(image, length) : std::wstring();
}

// The path with an aliased folder written as the folder it stands for.
std::wstring Unaliased(const std::wstring& path, const FolderAliases& aliases) {
  for (const auto& pair : aliases.pairs)
    if (StartsWithFolder(path, pair.second)) return pair.first + path.substr(pair.second.size());
  return path;
}

struct WindowSearch {
  const ProgramImage* program;
  FolderAliases aliases;
  std::vector<std::pair<DWORD, bool>> processes;  // looked at already: is it the program?
  std::vector<HWND> found;
};

BOOL CALLBACK CollectProgramWindow(HWND window, LPARAM context) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
  LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  bool appWindow = (exStyle & WS_EX_APPWINDOW) != 0;
  if (!IsWindowVisible(window) || (!appWindow && ((exStyle & WS_EX_TOOLWINDOW) || GetWindow(window, GW_OWNER))))
    return TRUE;
  // A UWP app's frame counts as the app it hosts.
  wchar_t name[MAX_PATH];
  DWORD process = ProcessOfWindow(window, name, MAX_PATH);
  auto known = std::find_if(search->processes.begin(), search->processes.end(),
                            [&](const std::pair<DWORD, bool>& p) { return p.first == process; });
  if (known == search->processes.end()) {
    std::wstring image = ImageOfProcess(process);
    search->processes.emplace_back(process, !image.empty() && IsImageOf(*search->program, image, search->aliases));
    known = search->processes.end() - 1;
  }
  if (known->second) search->found.push_back(window);
  return TRUE;
}

// A key of our own first: the system then counts this process as the one the user is
// working with, whose calls may change the foreground.
void EarnForeground() {
  INPUT keys[2] = {KeyInput(kMaskKey, false), KeyInput(kMaskKey, true)};
  SendInput(2, keys, sizeof keys[0]);
}

}  // namespace

FolderAliases CurrentFolderAliases() {
  FolderAliases aliases;
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return aliases;
  wchar_t system[MAX_PATH], wow[MAX_PATH], windows[MAX_PATH];
  UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
  UINT wowLength = GetSystemWow64DirectoryW(wow, MAX_PATH);
  UINT windowsLength = GetWindowsDirectoryW(windows, MAX_PATH);
  if (systemLength == 0 || systemLength >= MAX_PATH) return aliases;
  if (wowLength != 0 && wowLength < MAX_PATH) aliases.pairs.emplace_back(system, wow);
  if (windowsLength != 0 && windowsLength < MAX_PATH)
    aliases.pairs.emplace_back(system, std::wstring(windows) + L"\\Sysnative");
  return aliases;
}

// A path or file name that names a program: an .exe, or a bare name without extension
// (the shell finds it as a program on the path; a path without one may well be a folder).
static bool ProgramOfPath(const std::wstring& path, ProgramImage* program) {
  std::wstring name = FileNamePart(path);
  size_t dot = name.find_last_of(L'.');
  if (dot == std::wstring::npos) return name == path && ProgramOfPath(path + L".exe", program);
  if (!SameText(name.substr(dot), L".exe")) return false;
  bool absolute = (path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
                  path.compare(0, 2, L"\\\\") == 0;
  program->byPath = absolute;
  program->name = absolute ? FullLongPath(path) : name;
  return true;
}

bool ProgramOfCommand(const std::wstring& command, ProgramImage* program) {
  std::wstring path = command;
  size_t first = path.find_first_not_of(L" \t"), last = path.find_last_not_of(L" \t");
  if (first == std::wstring::npos) return false;
  path = path.substr(first, last - first + 1);
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  // A URL or another protocol: a scheme of two letters or more before the first colon.
  size_t colon = path.find(L':');
  if (colon != std::wstring::npos && colon >= 2 && path.find_first_of(L"\\/") > colon) return false;
  std::wstring name = FileNamePart(path);
  if (name.size() > 4 && SameText(name.substr(name.size() - 4), L".lnk")) {
    std::wstring target = LinkTarget(path);
    return !target.empty() && ProgramOfPath(target, program);
  }
  return ProgramOfPath(path, program);
}

bool IsImageOf(const ProgramImage& program, const std::wstring& image, const FolderAliases& aliases) {
  if (!program.byPath) return SameText(FileNamePart(image), program.name);
  return SameText(Unaliased(image, aliases), Unaliased(program.name, aliases));
}

std::vector<HWND> ProgramWindows(const ProgramImage& program) {
  WindowSearch search;
  search.program = &program;
  search.aliases = CurrentFolderAliases();
  EnumWindows(CollectProgramWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WindowToRaise(const std::vector<HWND>& windows, HWND foreground) {
  if (windows.empty()) return nullptr;
  if (std::find(windows.begin(), windows.end(), foreground) == windows.end()) return windows.front();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (*it != foreground) return *it;
  return foreground;  // its only window: it stays where it is
}

void RaiseWindow(HWND window) {
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  EarnForeground();
  SetForegroundWindow(window);
}

void StartProgram(const std::wstring& command, const std::wstring& parameter, const std::wstring& dir) {
  EarnForeground();
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"open";
  info.lpFile = command.c_str();
  info.lpParameters = parameter.c_str();
  info.lpDirectory = dir.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return;  // not reported, as without switching
  // The program's first window takes the foreground itself, with the right passed on.
  if (info.hProcess != nullptr) {
    AllowSetForegroundWindow(GetProcessId(info.hProcess));
    CloseHandle(info.hProcess);
  } else {
    AllowSetForegroundWindow(ASFW_ANY);  // a running program was handed the file
  }
}
