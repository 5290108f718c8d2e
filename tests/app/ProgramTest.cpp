// The real tambrel.exe in a working folder of its own: it runs hidden, ends through the
// engine's Quit, shows its window with autoshow, reports a broken conf.xml, and shuts down
// cleanly when its windows cannot be made.
#include <gtest/gtest.h>

#include "Taskbar.h"
#include "TestSupport.h"
#include "XTools.h"

namespace {


class Program {
 public:
  explicit Program(const TempWorkDir& dir) {
    std::string exe = ProgramFolder() + "\\tambrel.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    m_started = CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               dir.Path().c_str(), &startup, &m_process);
  }
  ~Program() {
    if (m_started && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(m_process.hProcess, 99);
    if (m_started) {
      CloseHandle(m_process.hThread);
      CloseHandle(m_process.hProcess);
    }
  }
  bool Started() const { return m_started; }
  DWORD Id() const { return m_process.dwProcessId; }
  bool Running() const { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD Wait(DWORD ms) {
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(m_process.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(m_process.hProcess, &code);
    return code;
  }
  // Visible top-level windows of the program, with their captions.
  std::vector<std::string> VisibleWindows() const {
    Search search = {m_process.dwProcessId, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

 private:
  struct Search {
    DWORD pid;
    std::vector<std::string> found;
  };
  static BOOL CALLBACK CollectVisible(HWND window, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == s->pid && IsWindowVisible(window)) {
      char caption[128] = "";
      GetWindowTextA(window, caption, sizeof caption);
      s->found.push_back(caption);
    }
    return TRUE;
  }

  bool m_started = false;
  PROCESS_INFORMATION m_process = {};
};

TEST(Program, RunsHiddenAndEndsThroughQuitWritingItsConfiguration) {
  TempWorkDir dir({"quitplugin.dll"});
  WriteWholeFile(dir.File("quit-after.txt"), "2500");
  Program program(dir);
  ASSERT_TRUE(program.Started());
  Sleep(1200);
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(program.VisibleWindows().empty());
  EXPECT_EQ(0u, program.Wait(20000));
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find("<plugin guid=\"{0017E570-0000-0000-0000-000000000017}\" active=\"yes\"/>"));
  EXPECT_EQ("</tambrel>\n", written.substr(written.size() - 11));
}

TEST(Program, WritesTheBuiltInPluginsAndTheToggleKeySettings) {
  TempWorkDir dir({"quitplugin.dll", "tambrelplug.dll"});
  WriteWholeFile(dir.File("quit-after.txt"), "2500");
  Program program(dir);
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(0u, program.Wait(20000));
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  const char* guids[] = {"{92DF9468-C0AE-4198-91C8-53296E9EA06E}", "{CC0F56FA-93FA-49E0-B66F-167B15808C3E}",
                         "{3259EE9A-68B5-4877-9407-A2E7EED492CC}", "{9129154F-FB6F-4CE7-9D48-399EA570C2F6}",
                         "{36BFD559-713C-4306-840E-55E2D035DB99}", "{FB32BE64-F84C-4723-967C-854E3627A2E7}",
                         "{646ADA64-823B-496F-9B9F-E5F652E7151F}"};
  size_t at = 0;
  for (const char* guid : guids) {
    SCOPED_TRACE(guid);
    size_t found = written.find(std::string("<plugin guid=\"") + guid + "\"", at);
    ASSERT_NE(std::string::npos, found);
    at = found + 1;
  }
  size_t toggleKey = written.find("{9129154F-FB6F-4CE7-9D48-399EA570C2F6}");
  std::string element = written.substr(toggleKey, written.find("</plugin>", toggleKey) - toggleKey);
  size_t key = element.find("<key>19</key>");
  EXPECT_NE(std::string::npos, key);
  EXPECT_NE(std::string::npos, element.find("<scancode>no</scancode>", key));
}

TEST(Program, AutoshowShowsTheMainWindow) {
  TempWorkDir dir({"quitplugin.dll"});
  WriteWholeFile(dir.File("quit-after.txt"), "4000");
  WriteWholeFile(dir.File("conf.xml"),
                 "<tambrel version=\"2.01\"><options><option name=\"autoshow\">yes</option></options>"
                 "<plugins/><actions/></tambrel>");
  Program program(dir);
  ASSERT_TRUE(program.Started());
  std::vector<std::string> windows;
  for (int i = 0; i < 100 && windows.empty(); ++i) {
    Sleep(50);
    windows = program.VisibleWindows();
  }
  EXPECT_EQ(std::vector<std::string>{"Tambrel"}, windows);
  HWND main = FindWindowA("#32770", "Tambrel");
  RECT rect = {};
  GetWindowRect(main, &rect);
  EXPECT_EQ(360, rect.right - rect.left);
  EXPECT_EQ(450, rect.bottom - rect.top);
  EXPECT_EQ(0u, program.Wait(20000));
}

bool FolderIsEmpty(const TempWorkDir& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(dir.File("*").c_str(), &found);
  int entries = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do ++entries;
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return entries <= 2;  // "." and ".."
}

TEST(Program, ASecondStartShowsTheRunningOneAndEndsTouchingNothing) {
  TempWorkDir first({"quitplugin.dll"});
  WriteWholeFile(first.File("quit-after.txt"), "6000");
  Program running(first);
  ASSERT_TRUE(running.Started());
  // The second start comes once the first has taken the session's name: started at once,
  // either may take it first.
  ASSERT_TRUE(PumpUntil(
      [] {
        HANDLE name = OpenMutexA(SYNCHRONIZE, FALSE, "Local\\Tambrel");
        if (name != nullptr) CloseHandle(name);
        return name != nullptr;
      },
      kTimeoutMs));
  TempWorkDir second;
  Program again(second);
  ASSERT_TRUE(again.Started());
  EXPECT_EQ(0u, again.Wait(15000));
  EXPECT_TRUE(FolderIsEmpty(second));
  std::vector<std::string> windows;
  for (int i = 0; i < 100 && windows.empty(); ++i) {
    Sleep(50);
    windows = running.VisibleWindows();
  }
  EXPECT_EQ(std::vector<std::string>{"Tambrel"}, windows);  // autoshow is off: the second start showed it
  EXPECT_EQ(0u, running.Wait(20000));
}

// The engine window of a process, while it shuts down.
bool ShuttingDown(DWORD pid) {
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, "TambrelEngine", nullptr); window != nullptr;
       window = FindWindowExA(HWND_MESSAGE, window, "TambrelEngine", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    if (owner == pid && strcmp(title, "Tambrel is shutting down") == 0) return true;
  }
  return false;
}

// Quit and start again at once: the new start waits for the old copy to end, then runs.
TEST(Program, AStartDuringAShutDownWaitsForItAndThenRuns) {
  TempWorkDir first({"quitplugin.dll"});
  WriteWholeFile(first.File("quit-after.txt"), "500");
  WriteWholeFile(first.File("release-after.txt"), "3000");  // a shut-down that takes its time
  Program ending(first);
  ASSERT_TRUE(ending.Started());
  ASSERT_TRUE(PumpUntil([&] { return ShuttingDown(ending.Id()); }, 15000));
  TempWorkDir second({"quitplugin.dll"});
  WriteWholeFile(second.File("quit-after.txt"), "1500");
  Program next(second);
  ASSERT_TRUE(next.Started());
  EXPECT_EQ(0u, ending.Wait(15000));
  EXPECT_TRUE(next.Running());
  EXPECT_EQ(0u, next.Wait(20000));
  EXPECT_TRUE(FileExists(second.File("conf.xml")));  // it ran, and wrote its configuration at its end
}

// A visible box captioned "Tambrel" of that process; its text, pressing OK.
bool DismissBoxOf(DWORD pid, std::string* text) {
  HWND box = nullptr;
  for (int i = 0; i < 600 && (box = TopWindowOf(pid, "Tambrel", true, 0xFFFF)) == nullptr; ++i) Sleep(25);
  if (box == nullptr) return false;
  char buffer[512] = "";
  GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
  *text = buffer;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return true;
}

TEST(Program, AStartWhileTheRunningCopyDoesNotAnswerSaysSoAndFails) {
  TempWorkDir first({"quitplugin.dll"});
  WriteWholeFile(first.File("quit-after.txt"), "60000");
  WriteWholeFile(first.File("hang-after.txt"), "300");
  Program hung(first);
  ASSERT_TRUE(hung.Started());
  ASSERT_TRUE(PumpUntil([] { return FindWindowExA(HWND_MESSAGE, nullptr, "TambrelEngine", nullptr) != nullptr; },
                        kTimeoutMs));
  Sleep(1000);
  TempWorkDir second;
  Program again(second);
  ASSERT_TRUE(again.Started());
  std::string text;
  EXPECT_TRUE(DismissBoxOf(again.Id(), &text));
  EXPECT_EQ("Tambrel is already running, but it does not answer.", text);
  EXPECT_EQ(1u, again.Wait(10000));
  EXPECT_TRUE(FolderIsEmpty(second));
}

TEST(Program, BrokenConfigurationIsReportedInOrderAndLeftAlone) {
  TempWorkDir dir({"quitplugin.dll"});
  const std::string broken = "<tambrel version=\"2.01\"><options>";
  WriteWholeFile(dir.File("conf.xml"), broken);
  Program program(dir);
  ASSERT_TRUE(program.Started());
  std::string texts[3];
  for (std::string& text : texts) EXPECT_TRUE(DismissTambrelBox(&text));
  EXPECT_EQ("Couldn't open configuration file " + dir.File("conf.xml") + "!\n\n",
            texts[0].substr(0, dir.File("conf.xml").size() + 36));
  EXPECT_EQ("Couldn't load configuration!", texts[1]);
  EXPECT_EQ("Main initialization failed!", texts[2]);
  EXPECT_EQ(0u, program.Wait(20000));
  EXPECT_EQ(broken, ReadWholeFile(dir.File("conf.xml")));
}

TEST(Program, WithoutItsWindowsItStillShutsDownAndLeavesNoIconBehind) {
  TaskbarStandIn taskbar;
  ASSERT_TRUE(taskbar.InFront());
  TempWorkDir dir({"nouiplugin.dll", "tambrelplug.dll"});
  Program program(dir);
  ASSERT_TRUE(program.Started());
  // The program's icon calls reach the stand-in only while this thread takes messages.
  HWND box = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] {
        box = FindWindowA("#32770", "Tambrel");
        return box != nullptr && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF) != nullptr;
      },
      kTimeoutMs));
  char text[128] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  EXPECT_STREQ("User interface could not be created!", text);
  EXPECT_EQ(1u, taskbar.Count());
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(PumpUntil([&] { return !program.Running(); }, 20000));
  EXPECT_EQ(0u, program.Wait(0));
  EXPECT_EQ(0u, taskbar.Count());  // the engine's shut-down released the tray plugin
  EXPECT_NE(std::string::npos, ReadWholeFile(dir.File("conf.xml")).find("</tambrel>"));
}

}  // namespace
