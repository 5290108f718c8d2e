#include "ProgramFilter.h"

#include <windows.h>

#include <string.h>

namespace {

const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  return name;
}

}  // namespace

bool SameProgram(const char* a, const char* b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

std::vector<std::string> ParsePrograms(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string name = FileNamePart(list.substr(start, end - start).c_str());
    size_t first = name.find_first_not_of(" \t"), last = name.find_last_not_of(" \t");
    name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    bool known = false;
    for (const std::string& other : names) known = known || SameProgram(other.c_str(), name.c_str());
    if (!name.empty() && !known) names.push_back(name);
    start = end + 1;
  }
  return names;
}

std::vector<int> ProgramNames::Numbers(const std::string& list) {
  std::vector<int> numbers;
  for (const std::string& name : ParsePrograms(list)) {
    int number = NumberOf(name.c_str());
    if (number == 0) {
      m_names.push_back(name);
      number = static_cast<int>(m_names.size());
    }
    numbers.push_back(number);
  }
  return numbers;
}

int ProgramNames::NumberOf(const char* name) const {
  for (size_t i = 0; i < m_names.size(); ++i)
    if (SameProgram(m_names[i].c_str(), name)) return static_cast<int>(i) + 1;
  return 0;
}

std::string ProgramNames::List(const std::vector<int>& numbers, const char* separator) const {
  std::vector<std::string> names;
  for (int number : numbers) names.push_back(m_names[static_cast<size_t>(number) - 1]);
  return JoinPrograms(names, separator);
}

std::string JoinPrograms(const std::vector<std::string>& names, const char* separator) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : separator) + name;
  return text;
}

void ForegroundProgram(char* out, size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  DWORD process = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &process);
  HANDLE handle = process != 0 ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process) : nullptr;
  if (handle == nullptr) return;
  char path[MAX_PATH];
  DWORD length = sizeof path;
  if (QueryFullProcessImageNameA(handle, 0, path, &length)) {
    const char* name = FileNamePart(path);
    size_t n = strnlen(name, size - 1);
    memcpy(out, name, n);
    out[n] = '\0';
  }
  CloseHandle(handle);
}
