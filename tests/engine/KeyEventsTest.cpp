// Real key events from the X server through the real engine and its installed hook: the
// plugin library of the working folder sees every key, and the focused window receives
// exactly the keys that were not swallowed.
//
// xdotool is a Linux program. Wine starts Unix programs through CreateProcess on their
// path, but the handle it returns cannot be waited on, so xdotool runs inside a small
// shell script that leaves its exit status in a file; this thread keeps pumping messages
// meanwhile, since the hook and the X focus events are both delivered through them.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "Engine.h"
#include "TestSupport.h"

namespace {

const DWORD kTimeoutMs = 10000;

// Wine's path conversions: kernel32 exports of Wine's own, missing on Windows.
typedef char*(__cdecl* UnixFileNameProc)(const WCHAR* dosName);
typedef WCHAR*(__cdecl* DosFileNameProc)(const char* unixName);

template <typename Proc>
Proc WineExport(const char* name) {
  return reinterpret_cast<Proc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

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
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
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

// Runs shell scripts in a folder, pumping messages until each has left its status.
class UnixShell {
 public:
  explicit UnixShell(const TempWorkDir& dir) : m_dir(dir), m_unixDir(UnixPath(dir.Path())) {}

  // The script's exit status; -1 when it could not be started or did not end in time.
  int Run(const std::string& body, std::string* output) {
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

 private:
  const TempWorkDir& m_dir;
  std::string m_unixDir;
};

std::vector<std::string> gWindowKeys;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  char text[32];
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      snprintf(text, sizeof text, "%X %02X", message, static_cast<unsigned>(wParam));
      gWindowKeys.push_back(text);
      break;
    case WM_CHAR:
      snprintf(text, sizeof text, "char %c", static_cast<char>(wParam));
      gWindowKeys.push_back(text);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = text.find('\n', start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(KeyEvents, FocusedWindowGetsExactlyTheKeysNotSwallowed) {
  char display[256] = "";
  if (GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0)
    GTEST_SKIP() << "no X display: DISPLAY is not set";
  if (!UnderWine()) GTEST_SKIP() << "not running under Wine: cannot start xdotool";
  if (!FileExists(DosPath("/bin/sh"))) GTEST_SKIP() << "no /bin/sh to start xdotool with";

  TempWorkDir dir({"keyprobe.dll"});
  UnixShell shell(dir);
  std::string output;
  int found = shell.Run("command -v xdotool", &output);
  if (found == -1) GTEST_SKIP() << "Wine cannot start Unix programs here: " << output;
  if (found != 0) GTEST_SKIP() << "xdotool is not installed";

  CapturedBoxes boxes;
  TambrelEngine engine;  // the real hookpad and the real hook
  ASSERT_TRUE(engine.IsStarted());
  ASSERT_TRUE(engine.HookInstalled());
  ASSERT_EQ(1, engine.Registry().Count());
  ASSERT_STREQ("Key Probe", engine.FindPlugin(1)->name);
  typedef const char* (*TraceProc)();
  TraceProc trace = reinterpret_cast<TraceProc>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA(dir.File("keyprobe.dll").c_str()), "KeyProbeTrace")));
  ASSERT_NE(nullptr, trace);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TambrelKeyEventsProbe";
  RegisterClassA(&windowClass);
  char title[64];
  snprintf(title, sizeof title, "Tambrel key events %lu", GetCurrentProcessId());
  HWND window = CreateWindowA(windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              100, 100, 320, 200, nullptr, nullptr, windowClass.hInstance,
                              nullptr);
  ASSERT_NE(nullptr, window);
  PumpFor(200);

  // Without a window manager nothing has the focus: give it to our window, and click into
  // it so that Wine makes it the active one.
  std::string focus = std::string("for i in $(seq 50); do\n"
                                  "  w=$(xdotool search --name '") + title + "' | head -n 1)\n"
                      "  [ -n \"$w\" ] && break; sleep 0.1\n"
                      "done\n"
                      "[ -n \"$w\" ] || exit 3\n"
                      "xdotool windowfocus --sync \"$w\" mousemove --window \"$w\" 60 60 click 1";
  ASSERT_EQ(0, shell.Run(focus, &output)) << output;
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == window; }, kTimeoutMs))
      << "the window never got the focus";
  gWindowKeys.clear();

  ASSERT_EQ(0, shell.Run("xdotool key --delay 40 a q b q c", &output)) << output;
  const std::vector<std::string> seen = {"100 41", "101 41", "100 51", "101 51", "100 42",
                                         "101 42", "100 51", "101 51", "100 43", "101 43"};
  const std::vector<std::string> received = {"100 41", "char a", "101 41",
                                             "100 42", "char b", "101 42",
                                             "100 43", "char c", "101 43"};
  PumpUntil([&] { return gWindowKeys.size() >= received.size(); }, kTimeoutMs);
  PumpFor(300);  // anything that would arrive late
  EXPECT_EQ(seen, Lines(trace()));  // the plugin sees every event, the Q key-ups too
  EXPECT_EQ(received, gWindowKeys);  // neither half of a Q reaches the window
  DestroyWindow(window);
}

}  // namespace
