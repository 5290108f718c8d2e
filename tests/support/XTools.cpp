#include "XTools.h"

#include <stdlib.h>

namespace {

// Wine's path conversions: kernel32 exports of Wine's own, missing on Windows.
typedef char*(__cdecl* UnixFileNameProc)(const WCHAR* dosName);
typedef WCHAR*(__cdecl* DosFileNameProc)(const char* unixName);

template <typename Proc>
Proc WineExport(const char* name) {
  return reinterpret_cast<Proc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace


bool UnderWine() {
  return WineExport<UnixFileNameProc>("wine_get_unix_file_name") != nullptr &&
         WineExport<DosFileNameProc>("wine_get_dos_file_name") != nullptr;
}

std::string UnixPath(const std::string& dosPath) {
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, dosPath.c_str(), -1, wide, MAX_PATH);
  char* unixPath = WineExport<UnixFileNameProc>("wine_get_unix_file_name")(wide);
  if (unixPath == nullptr) return "";
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

std::string DosPath(const char* unixPath) {
  WCHAR* wide = WineExport<DosFileNameProc>("wine_get_dos_file_name")(unixPath);
  if (wide == nullptr) return "";
  char narrow[MAX_PATH] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return narrow;
}

void PumpOnce() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  // The W functions: a Unicode window's characters arrive as typed, an ANSI window's are
  // converted on dispatch.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    PumpOnce();
  }
  return true;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

int UnixShell::Run(const std::string& body, std::string* output) {
    std::string status = m_dir.File("script.status");
    DeleteFileA(status.c_str());
    WriteWholeFile(m_dir.File("script.sh"),
                   "exec >'" + m_unixDir + "/script.out' 2>&1\n" + body +
                       "\necho $? >'" + m_unixDir + "/script.status'\n");
    std::string shell = DosPath("/bin/sh");
    std::string command = "/bin/sh \"" + m_unixDir + "/script.sh\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(shell.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
      return -1;
    if (process.hThread != nullptr) CloseHandle(process.hThread);
    if (process.hProcess != nullptr) CloseHandle(process.hProcess);
    // Complete once its line has ended; the script writes it with a builtin alone.
    bool ended = PumpUntil(
        [&] {
          std::string text = ReadWholeFile(status);
          return !text.empty() && text.back() == '\n';
        },
        kTimeoutMs);
    *output = ReadWholeFile(m_dir.File("script.out"));
    return ended ? atoi(ReadWholeFile(status).c_str()) : -1;
}


std::string WhyNoXdotool(const TempWorkDir& dir) {
  char display[256] = "";
  if (GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0)
    return "no X display: DISPLAY is not set";
  if (!UnderWine()) return "not running under Wine: cannot start xdotool";
  if (!FileExists(DosPath("/bin/sh"))) return "no /bin/sh to start xdotool with";
  UnixShell shell(dir);
  std::string output;
  int found = shell.Run("command -v xdotool", &output);
  if (found == -1) return "Wine cannot start Unix programs here: " + output;
  if (found != 0) return "xdotool is not installed";
  return "";
}

bool FocusWindow(UnixShell& shell, HWND window, const char* title, std::string* output) {
  // Without a window manager nothing has the focus: raise the window over any other, give it
  // the focus, and click into it so that Wine makes it the active one.
  std::string focus = std::string("for i in $(seq 50); do\n"
                                  "  w=$(xdotool search --name '") + title + "' | head -n 1)\n"
                      "  [ -n \"$w\" ] && break; sleep 0.1\n"
                      "done\n"
                      "[ -n \"$w\" ] || exit 3\n"
                      "xdotool windowraise \"$w\" windowfocus --sync \"$w\" mousemove --window \"$w\" 60 60 click 1";
  // A window of another program has the focus once it is in the foreground.
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  bool own = process == GetCurrentProcessId();
  // On a busy machine a click can reach a program before it answers: try again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (shell.Run(focus, output) != 0) return false;
    if (PumpUntil([&] { return own ? GetFocus() == window : GetForegroundWindow() == window; }, kTimeoutMs / 2))
      return true;
  }
  return false;
}

bool WaitForTambrel(const PROCESS_INFORMATION& process, DWORD timeoutMs) {
  HWND engine = nullptr;
  bool found = PumpUntil(
      [&] {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) return true;
        for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, "TambrelEngine", nullptr); w != nullptr;
             w = FindWindowExA(HWND_MESSAGE, w, "TambrelEngine", nullptr)) {
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == process.dwProcessId) engine = w;
        }
        return engine != nullptr;
      },
      timeoutMs);
  // The hook goes in just before the message loop starts: an answer means both are there.
  DWORD_PTR answer = 0;
  return found && engine != nullptr &&
         SendMessageTimeoutA(engine, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
}

Probes::~Probes() {
  while (!m_processes.empty()) EndLast();
}

bool Probes::Run(const TempWorkDir& dir, const std::wstring& name, const std::string& arguments) {
  std::wstring exe = Wide(dir.Path()) + L"\\" + name + L".exe";
  CopyFileW(Wide(ProgramFolder() + "\\probewindow.exe").c_str(), exe.c_str(), FALSE);  // in use: there already
  std::wstring command = L"\"" + exe + L"\" " + Wide(arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION probe = {};
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &probe))
    return false;
  m_processes.push_back(probe);
  return true;
}

bool Probes::Start(const TempWorkDir& dir, const char* name, const char* windowTitle) {
  return Start(dir, Wide(name), windowTitle != nullptr ? windowTitle : std::string("Probe ") + name);
}

bool Probes::Start(const TempWorkDir& dir, const std::wstring& name, const std::string& title) {
  if (!Run(dir, name, title)) return false;
  // Up and showing before any window is focused: a probe that showed its window later would
  // take the focus from the one the test chose.
  return WaitForInputIdle(m_processes.back().hProcess, kTimeoutMs) == 0 &&
         PumpUntil([&] { return FindWindowA("STATIC", title.c_str()) != nullptr; }, kTimeoutMs);
}

void Probes::EndLast() {
  PROCESS_INFORMATION probe = m_processes.back();
  m_processes.pop_back();
  TerminateProcess(probe.hProcess, 0);
  WaitForSingleObject(probe.hProcess, 5000);
  if (probe.hThread != nullptr) CloseHandle(probe.hThread);
  CloseHandle(probe.hProcess);
}

void Probes::Adopt(HWND window) {
  PROCESS_INFORMATION probe = {};
  GetWindowThreadProcessId(window, &probe.dwProcessId);
  probe.hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, probe.dwProcessId);
  if (probe.hProcess != nullptr) m_processes.push_back(probe);
}
