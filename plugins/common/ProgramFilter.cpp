#include "ProgramFilter.h"

#include <string.h>
#include <wchar.h>

namespace {

const wchar_t* FileNamePart(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p != L'\0'; ++p)
    if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
  return name;
}

// The file name of a process's program into out; false when the process cannot be asked.
bool ProcessProgram(DWORD process, wchar_t* out, size_t size) {
  HANDLE handle = process != 0 ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process) : nullptr;
  if (handle == nullptr) return false;
  wchar_t path[MAX_PATH * 2];
  DWORD length = MAX_PATH * 2;
  bool named = QueryFullProcessImageNameW(handle, 0, path, &length) != FALSE;
  CloseHandle(handle);
  if (!named) return false;
  const wchar_t* name = FileNamePart(path);
  size_t n = wcsnlen(name, size - 1);
  wmemcpy(out, name, n);
  out[n] = L'\0';
  return true;
}

// A UWP frame's hosted app: the first descendant of the CoreWindow class that another process
// owns.
struct HostedApp {
  DWORD frameProcess;
  DWORD appProcess;
};

BOOL CALLBACK FindCoreWindow(HWND child, LPARAM context) {
  HostedApp* hosted = reinterpret_cast<HostedApp*>(context);
  wchar_t windowClass[64];
  if (GetClassNameW(child, windowClass, 64) == 0 || wcscmp(windowClass, L"Windows.UI.Core.CoreWindow") != 0)
    return TRUE;
  DWORD process = 0;
  GetWindowThreadProcessId(child, &process);
  if (process == 0 || process == hosted->frameProcess) return TRUE;
  hosted->appProcess = process;
  return FALSE;
}

}  // namespace

bool SameProgram(const wchar_t* a, const wchar_t* b) {
  // Ordinal, with the system's own upper-case table: what NTFS does with file names, in
  // every script, and no language's rules (a Turkish dotless i stays itself).
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> ParsePrograms(const std::wstring& list) {
  std::vector<std::wstring> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    std::wstring name = FileNamePart(list.substr(start, end - start).c_str());
    size_t first = name.find_first_not_of(L" \t"), last = name.find_last_not_of(L" \t");
    name = first == std::wstring::npos ? std::wstring() : name.substr(first, last - first + 1);
    bool known = false;
    for (const std::wstring& other : names) known = known || SameProgram(other.c_str(), name.c_str());
    if (!name.empty() && !known) names.push_back(name);
    start = end + 1;
  }
  return names;
}

std::vector<int> ProgramNames::Numbers(const std::wstring& list) {
  std::vector<int> numbers;
  for (const std::wstring& name : ParsePrograms(list)) {
    int number = NumberOf(name.c_str());
    if (number == 0) {
      m_names.push_back(name);
      number = static_cast<int>(m_names.size());
    }
    numbers.push_back(number);
  }
  return numbers;
}

int ProgramNames::NumberOf(const wchar_t* name) const {
  for (size_t i = 0; i < m_names.size(); ++i)
    if (SameProgram(m_names[i].c_str(), name)) return static_cast<int>(i) + 1;
  return 0;
}

std::wstring ProgramNames::List(const std::vector<int>& numbers, const wchar_t* separator) const {
  std::vector<std::wstring> names;
  for (int number : numbers) names.push_back(m_names[static_cast<size_t>(number) - 1]);
  return JoinPrograms(names, separator);
}

std::wstring JoinPrograms(const std::vector<std::wstring>& names, const wchar_t* separator) {
  std::wstring text;
  for (const std::wstring& name : names) text += (text.empty() ? L"" : separator) + name;
  return text;
}

DWORD ProcessOfWindow(HWND window, wchar_t* name, size_t size) {
  if (size == 0) return 0;
  name[0] = L'\0';
  HostedApp hosted = {0, 0};
  if (window == nullptr) return 0;
  GetWindowThreadProcessId(window, &hosted.frameProcess);
  // Whole, whatever the caller's buffer: the host is known by its full name.
  wchar_t program[MAX_PATH] = L"";
  if (ProcessProgram(hosted.frameProcess, program, MAX_PATH) && SameProgram(program, L"ApplicationFrameHost.exe")) {
    EnumChildWindows(window, FindCoreWindow, reinterpret_cast<LPARAM>(&hosted));
    // An app that cannot be asked is not named at all: its frame stays the host's.
    if (hosted.appProcess != 0 && ProcessProgram(hosted.appProcess, name, size)) return hosted.appProcess;
  }
  size_t n = wcsnlen(program, size - 1);
  wmemcpy(name, program, n);
  name[n] = L'\0';
  return hosted.frameProcess;
}

void ProgramOfWindow(HWND window, wchar_t* out, size_t size) { ProcessOfWindow(window, out, size); }

void ForegroundProgram(wchar_t* out, size_t size) { ProgramOfWindow(GetForegroundWindow(), out, size); }
