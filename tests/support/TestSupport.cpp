#include "TestSupport.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>

#include "Messages.h"
#include "StartupShortcut.h"
#include "WidePath.h"

std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

// Wide: a test may make folders that the code page cannot name.
static void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

TempWorkDir::TempWorkDir(std::initializer_list<const char*> dlls, const std::string& base) {
  static int counter;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  char name[64];
  snprintf(name, sizeof name, "tambrel-test-%lu-%d", GetCurrentProcessId(), ++counter);
  m_path = (base.empty() ? std::string(temp) : base + "\\") + name;
  CreateDirectoryA(m_path.c_str(), nullptr);
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  m_previous = previous;
  SetCurrentDirectoryA(m_path.c_str());
  for (const char* dll : dlls) {
    std::string from = ProgramFolder() + "\\" + dll;
    CopyFileA(from.c_str(), File(dll).c_str(), FALSE);
  }
}

TempWorkDir::~TempWorkDir() {
  SetCurrentDirectoryA(m_previous.c_str());
  RemoveTree(Wide(m_path));
}

static std::vector<CapturedBoxes::Box> gBoxes;
static int gAnswer = IDYES;

static int WINAPI CaptureBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  gBoxes.push_back({text, caption, type});
  return (type & MB_TYPEMASK) == MB_YESNO ? gAnswer : IDOK;
}

CapturedBoxes::CapturedBoxes() {
  gBoxes.clear();
  gAnswer = IDYES;
  gMessageBox = CaptureBox;
}
void CapturedBoxes::Answer(int answer) { gAnswer = answer; }
CapturedBoxes::~CapturedBoxes() { gMessageBox = MessageBoxA; }
const std::vector<CapturedBoxes::Box>& CapturedBoxes::Boxes() const { return gBoxes; }
std::vector<std::string> CapturedBoxes::Texts() const {
  std::vector<std::string> texts;
  for (const Box& box : gBoxes) texts.push_back(box.text);
  return texts;
}
void CapturedBoxes::Clear() { gBoxes.clear(); }

bool ReadShortcut(const std::wstring& path, std::wstring* target, std::wstring* workingFolder) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t program[MAX_PATH] = L"", folder[MAX_PATH] = L"";
  // The target from its item list: Wine's GetPath gives it in the code page.
  PIDLIST_ABSOLUTE items = nullptr;
  bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ)) && link->GetIDList(&items) == S_OK &&
              SHGetPathFromIDListW(items, program) && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
  CoTaskMemFree(items);
  *target = program;
  *workingFolder = folder;
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return read;
}

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  EXPECT_TRUE(WideFromAnsi(text, &wide)) << text;
  return wide;
}

CleanStartupFolder::CleanStartupFolder() { RemoveStartupShortcuts(ThisProgram()); }
CleanStartupFolder::~CleanStartupFolder() { RemoveStartupShortcuts(ThisProgram()); }

PathFirst::PathFirst(const std::string& folder) {
  std::string old(32767, '\0');
  old.resize(GetEnvironmentVariableA("PATH", &old[0], static_cast<DWORD>(old.size())));
  m_old = old;
  SetEnvironmentVariableA("PATH", (folder + ";" + m_old).c_str());
}
PathFirst::~PathFirst() { SetEnvironmentVariableA("PATH", m_old.c_str()); }

std::wstring MakeUnicodeFolder(const TempWorkDir& dir, std::initializer_list<const char*> files) {
  std::wstring folder = Wide(dir.Path()) + L"\\" + kUnicodeFolderName;
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const char* file : files)
    CopyFileW(Wide(ProgramFolder() + "\\" + file).c_str(), (folder + L"\\" + Wide(file)).c_str(), FALSE);
  return folder;
}

InFolder::InFolder(const std::wstring& folder) {
  wchar_t previous[MAX_PATH * 2] = L"";
  GetCurrentDirectoryW(MAX_PATH * 2, previous);
  m_previous = previous;
  EXPECT_TRUE(SetCurrentDirectoryW(folder.c_str()));
}
InFolder::~InFolder() { SetCurrentDirectoryW(m_previous.c_str()); }

bool FileExists(const std::string& path) { return FileExists(Wide(path)); }
bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadWholeFile(const std::string& path) { return ReadWholeFile(Wide(path)); }
std::string ReadWholeFile(const std::wstring& path) {
  std::string contents;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return contents;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
  fclose(file);
  return contents;
}

void WriteWholeFile(const std::string& path, const std::string& contents) { WriteWholeFile(Wide(path), contents); }
void WriteWholeFile(const std::wstring& path, const std::string& contents) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return;
  fwrite(contents.data(), 1, contents.size(), file);
  fclose(file);
}

namespace {

struct TopWindowSearch {
  DWORD process;
  const char* caption;
  bool visibleOnly;
  int withControl;
  HWND found;
};

BOOL CALLBACK FindTopWindow(HWND window, LPARAM context) {
  TopWindowSearch* search = reinterpret_cast<TopWindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char text[64] = "";
  GetWindowTextA(window, text, sizeof text);
  if (owner != search->process || (search->visibleOnly && !IsWindowVisible(window)) ||
      strcmp(text, search->caption) != 0 || (search->withControl != 0 && GetDlgItem(window, search->withControl) == nullptr))
    return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND TopWindowOf(DWORD process, const char* caption, bool visibleOnly, int withControl) {
  TopWindowSearch search = {process, caption, visibleOnly, withControl, nullptr};
  EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for a top-level dialog captioned "Tambrel", reads its text and presses OK.
bool DismissTambrelBox(std::string* text) {
  for (int i = 0; i < 400; ++i) {
    HWND box = FindWindowA("#32770", "Tambrel");
    if (box != nullptr && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF) != nullptr) {
      char buffer[2048] = "";
      GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
      *text = buffer;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      for (int j = 0; j < 200 && IsWindow(box); ++j) Sleep(25);
      return true;
    }
    Sleep(25);
  }
  return false;
}
