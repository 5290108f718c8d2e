// The real tambrel.exe with the real tambrelplug.dll in a working folder of its own, driven by
// real keys from the X server while a window of the test's own holds the focus.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestClipboard.h"
#include "StartupShortcut.h"
#include "TestSupport.h"
#include "WidePath.h"
#include "resource.h"
#include "XTools.h"

namespace {

const char kExecuteGuid[] = "{CC0F56FA-93FA-49E0-B66F-167B15808C3E}";
const char kMacroGuid[] = "{92DF9468-C0AE-4198-91C8-53296E9EA06E}";
const char kSequenceGuid[] = "{646ADA64-823B-496F-9B9F-E5F652E7151F}";
const char kTypeTextGuid[] = "{054C80C3-6A7C-47B7-A219-D196EA741F0B}";
const char kComboGuid[] = "{4D2C02DC-B554-4559-A9EA-10C38725CAF2}";

std::vector<std::string> gKeys;
std::wstring gChars;  // every WM_CHAR's UTF-16 unit

// A Unicode window: its WM_CHAR carries the UTF-16 unit as typed.
LRESULT CALLBACK KeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  char text[32];
  if (message == WM_KEYDOWN || message == WM_KEYUP) {
    snprintf(text, sizeof text, "%X %02X", message, static_cast<unsigned>(wParam));
    gKeys.push_back(text);
  } else if (message == WM_CHAR) {
    snprintf(text, sizeof text, wParam < 0x80 ? "char %c" : "char U+%04X", static_cast<unsigned>(wParam));
    gKeys.push_back(text);
    gChars += static_cast<wchar_t>(wParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::string Binding(const char* shortcut, const char* actionGuid, const std::string& data) {
  return std::string("<action><shortcut plugin=\"") + kSequenceGuid + "\">" + shortcut +
         "</shortcut><actiontype plugin=\"" + actionGuid + "\">" + data + "</actiontype></action>";
}

// modifiers: 1 Ctrl, 2 Alt, 4 Shift, 8 Win; attributes of the shortcut element, if any.
std::string ComboBinding(int vk, int modifiers, const char* attributes, const char* macro) {
  return std::string("<action><shortcut plugin=\"") + kComboGuid + "\"" + attributes + "><key>" + std::to_string(vk) +
         "</key><modifiers>" + std::to_string(modifiers) + "</modifiers></shortcut><actiontype plugin=\"" +
         kMacroGuid + "\">" + macro + "</actiontype></action>";
}

bool Seen(const char* key) { return std::find(gKeys.begin(), gKeys.end(), key) != gKeys.end(); }

class RealProgram : public ::testing::Test {
 protected:
  RealProgram() : dir({"tambrelplug.dll", "quitplugin.dll"}), shell(dir) {}
  ~RealProgram() override {
    if (window != nullptr) DestroyWindow(window);
    if (process.hProcess != nullptr) {
      // Gone before the next test starts its own: two programs would both see every key.
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 10000);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }

  // Starts the program with these bindings (and a quit plugin that ends it after quitAfter ms),
  // then focuses a window of the test's own. False with a reason when that cannot be done here.
  bool Start(const std::string& actions, int quitAfter, std::string* why, const std::string& options = "",
             const std::string& plugins = "") {
    *why = WhyNoXdotool(dir);
    if (!why->empty()) return false;
    std::wstring folder = Folder();
    WriteWholeFile(folder + L"\\quit-after.txt", std::to_string(quitAfter));
    WriteWholeFile(folder + L"\\conf.xml",
                   "<tambrel version=\"2.01\"><options><option name=\"log\">yes</option>" + options +
                       "</options><plugins>" + plugins +
                       "</plugins><actions>" + actions + "</actions></tambrel>");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(Program().c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
      *why = "tambrel.exe did not start";
      return false;
    }
    if (!WaitForTambrel(process, 30000)) {
      DWORD code = STILL_ACTIVE;
      GetExitCodeProcess(process.hProcess, &code);
      ADD_FAILURE() << "tambrel.exe did not come up; exit code " << code << "; log:\n"
                    << ReadWholeFile(folder + L"\\tambrel.log");
      *why = "tambrel.exe did not come up";
      return false;
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = KeyWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = L"TambrelKeyPathWindow";
    RegisterClassW(&windowClass);
    snprintf(title, sizeof title, "Tambrel key path %lu", GetCurrentProcessId());
    std::wstring wideTitle(title, title + strlen(title));
    window = CreateWindowW(windowClass.lpszClassName, wideTitle.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                           320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    return Focus(why);
  }
  bool Focus(std::string* why) {
    std::string output;
    if (!FocusWindow(shell, window, title, &output)) {
      *why = "the window did not get the focus: " + output;
      return false;
    }
    gKeys.clear();
    gChars.clear();
    return true;
  }
  void Type(const char* keys) {
    std::string output;
    ASSERT_EQ(0, shell.Run(std::string("xdotool key --delay 60 ") + keys, &output)) << output;
  }
  DWORD WaitForExit(DWORD ms) {
    if (!PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, ms)) return STILL_ACTIVE;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }
  // The program's main window once it shows (autoshow); null when it does not.
  static HWND ShownMainWindow() {
    HWND main = nullptr;
    PumpUntil([&] { return (main = FindWindowA("#32770", "Tambrel")) != nullptr && IsWindowVisible(main); }, kTimeoutMs);
    return main != nullptr && IsWindowVisible(main) ? main : nullptr;
  }
  // The program runs from the test's folder, or after RunFromUnicodeFolder from a folder in it
  // that the system code page cannot name, which holds its own copy of the program, as an
  // unzipped download does.
  void RunFromUnicodeFolder() {
    unicodeFolder =
        MakeUnicodeFolder(dir, {"tambrel.exe", "hookpad.dll", "libxml2.dll", "tambrelplug.dll", "quitplugin.dll"});
  }
  std::wstring Folder() const { return unicodeFolder.empty() ? Wide(dir.Path()) : unicodeFolder; }
  std::wstring Program() const {
    return unicodeFolder.empty() ? Wide(ProgramFolder() + "\\tambrel.exe") : unicodeFolder + L"\\tambrel.exe";
  }
  static bool Visible(const char* windowClass, const char* caption) {
    HWND found = FindWindowA(windowClass, caption);
    return found != nullptr && IsWindowVisible(found);
  }

  TempWorkDir dir;
  std::wstring unicodeFolder;
  UnixShell shell;
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;
  char title[64] = "";
};

TEST_F(RealProgram, PauseNPRunsTheBindingAndNoKeyReachesTheFocusedWindow) {
  std::string marker = dir.File("marker.txt");
  std::string why;
  if (!Start(Binding("NP", kExecuteGuid,
                     "<command>cmd.exe</command><parameter>/c echo ran&gt;marker.txt</parameter><dir>" +
                         dir.Path() + "</dir>"),
             15000, &why))
    GTEST_SKIP() << why;
  Type("Pause n p");
  EXPECT_TRUE(PumpUntil([&] { return FileExists(marker); }, kTimeoutMs)) << "the binding did not run";
  PumpFor(300);
  EXPECT_TRUE(gKeys.empty()) << gKeys.front();

  // The command's console may have taken the focus: the user clicks back into the window.
  ASSERT_TRUE(Focus(&why)) << why;
  Type("x");
  PumpUntil([&] { return gKeys.size() >= 3; }, kTimeoutMs);
  EXPECT_EQ((std::vector<std::string>{"100 58", "char x", "101 58"}), gKeys);  // typing goes on

  DeleteFileA(marker.c_str());
  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause n x Pause");
  PumpFor(1500);
  EXPECT_FALSE(FileExists(marker));
  EXPECT_TRUE(gKeys.empty()) << gKeys.front();

  EXPECT_EQ(0u, WaitForExit(40000));  // ended through Quit
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find(std::string("<shortcut plugin=\"") + kSequenceGuid + "\">NP</shortcut>"));
  EXPECT_NE(std::string::npos, written.find("<command>cmd.exe</command>"));
}

TEST_F(RealProgram, MacroTypesItsTextAndLeavesNoModifierDown) {
  std::string why;
  if (!Start(Binding("MM", kMacroGuid, "+hi{ENTER}"), 60000, &why)) GTEST_SKIP() << why;
  Type("Pause m m");
  PumpUntil([&] { return gKeys.size() >= 9; }, kTimeoutMs);
  PumpFor(300);
  std::vector<std::string> chars;
  for (const std::string& key : gKeys)
    if (key.compare(0, 4, "char") == 0) chars.push_back(key);
  EXPECT_EQ((std::vector<std::string>{"char H", "char i", "char \r"}), chars);
  EXPECT_EQ(0, GetAsyncKeyState(VK_SHIFT) & 0x8000);
  EXPECT_EQ(0, GetKeyState(VK_SHIFT) & 0x8000);
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

// A macro that presses the Tambrel key and types its own shortcut: its keys are Tambrel's
// own, so they reach the window once, toggle nothing and fire nothing, and Tambrel still
// answers the user.
TEST_F(RealProgram, AMacroTypingPauseAndItsOwnShortcutTypesItOnce) {
  std::string why;
  if (!Start(Binding("LQ", kMacroGuid, "{PAUSE}lq"), 60000, &why)) GTEST_SKIP() << why;
  Type("Pause l q");
  PumpUntil([&] { return Seen("char q"); }, kTimeoutMs);
  PumpFor(1500);  // time enough to run again, as it did
  std::vector<std::string> chars;
  for (const std::string& key : gKeys)
    if (key.compare(0, 4, "char") == 0) chars.push_back(key);
  EXPECT_EQ((std::vector<std::string>{"char l", "char q"}), chars);
  EXPECT_EQ(1, std::count(gKeys.begin(), gKeys.end(), "100 13"));  // the macro's Pause, passed on
  EXPECT_FALSE(Visible("TambrelNotify", nullptr));
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

TEST_F(RealProgram, TypeTextTypesEveryCharacterAsWrittenWhateverTheLayout) {
  // Capitals, an accent, symbols, a Cyrillic word, a line break and a character beyond the
  // BMP, in UTF-8 as conf.xml holds them.
  std::string why;
  if (!Start(Binding("TT", kTypeTextGuid,
                     "Caf\xC3\xA9 \xE2\x86\x92 \xE2\x9C\x93 \xD0\x9C\xD0\xB8\xD1\x80\nOK\xF0\x9F\x98\x80"),
             60000, &why))
    GTEST_SKIP() << why;
  Type("Pause t t");
  // The line break is Enter, whose character is CR; a surrogate pair comes as its two units.
  const std::wstring expected = L"Caf\u00e9 \u2192 \u2713 \u041c\u0438\u0440\rOK\U0001F600";
  PumpUntil([&] { return gChars.size() >= expected.size(); }, kTimeoutMs);
  PumpFor(300);
  EXPECT_EQ(expected, gChars);
  for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_RETURN, VK_PACKET}) {
    EXPECT_EQ(0, GetAsyncKeyState(vk) & 0x8000) << vk;
    EXPECT_EQ(0, GetKeyState(vk) & 0x8000) << vk;
  }
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

// A window of the test's own filled by a Unicode edit, which pastes on Ctrl+V as editors
// do; its subclass counts the pastes and the characters typed.
int gPastes, gTypedChars;
WNDPROC gEditProc;

LRESULT CALLBACK CountingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PASTE) ++gPastes;
  if (message == WM_CHAR) ++gTypedChars;
  return CallWindowProcW(gEditProc, window, message, wParam, lParam);
}

struct PasteWindow {
  HWND frame = CreateWindowW(L"STATIC", L"Tambrel paste target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 120, 400, 300,
                             nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 0, 0,
                            380, 260, frame, nullptr, nullptr, nullptr);
  PasteWindow() {
    gPastes = gTypedChars = 0;
    gEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingEditProc)));
  }
  ~PasteWindow() { DestroyWindow(frame); }
  std::wstring Text() const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
    return text;
  }
};

// Characters as the user counts them: a surrogate pair is one.
size_t CharacterCountOf(const std::wstring& text) {
  size_t count = 0;
  for (wchar_t unit : text) count += unit >= 0xDC00 && unit <= 0xDFFF ? 0 : 1;
  return count;
}

std::string Utf8(const std::wstring& text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], length, nullptr, nullptr);
  return utf8;
}

// Texts longer than the threshold (here 10) are pasted, exactly, and the clipboard holds what
// it held before; a text of 10 is typed, and so is a longer one while the clipboard cannot
// be opened, which the log says.
TEST_F(RealProgram, TypeTextPastesLongTextsAndPutsTheClipboardBack) {
  // 3,000 characters: 60 lines of 50 with their line breaks, accents, an arrow and a
  // character beyond the BMP among them.
  std::wstring lines, expected;
  for (int line = 0; line < 60; ++line) {
    wchar_t head[32];
    swprintf(head, 32, L"Zeile %02d caf\u00e9 \u2192 \U0001F600 ", line);
    std::wstring text = head + std::wstring(49 - CharacterCountOf(head), L'a' + line % 26);
    lines += text + L"\n";
    expected += text + L"\r\n";
  }
  std::string why;
  if (!Start(Binding("TL", kTypeTextGuid, Utf8(lines)) + Binding("TS", kTypeTextGuid, "0123456789") +
                 Binding("TM", kTypeTextGuid, "eleven char"),
             60000, &why, "",
             std::string("<plugin guid=\"") + kTypeTextGuid +
                 "\" active=\"yes\"><pastelongerthan>10</pastelongerthan></plugin>"))
    GTEST_SKIP() << why;
  PasteWindow target;
  std::string output;
  ASSERT_TRUE(FocusWindow(shell, target.edit, "Tambrel paste target", &output)) << output;  // the click lands in the edit
  TestClipboard clipboard;
  const std::string bytes("\0\1 kept \xFF", 9);
  ASSERT_TRUE(clipboard.Fill(L"before \u2713", bytes));
  const std::vector<std::string> before = clipboard.Read();
  DWORD sequence = GetClipboardSequenceNumber();

  Type("Pause t s");
  EXPECT_TRUE(PumpUntil([&] { return target.Text() == L"0123456789"; }, kTimeoutMs));
  EXPECT_EQ(0, gPastes);
  EXPECT_EQ(sequence, GetClipboardSequenceNumber());  // the clipboard was not touched

  SetWindowTextW(target.edit, L"");
  Type("Pause t l");
  EXPECT_TRUE(PumpUntil([&] { return target.Text().size() >= expected.size(); }, kTimeoutMs));
  EXPECT_TRUE(target.Text() == expected) << "the pasted text differs";
  EXPECT_EQ(1, gPastes);
  EXPECT_TRUE(PumpUntil([&] { return clipboard.Read() == before; }, kTimeoutMs)) << "the clipboard was not put back";
  EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("CanIncludeInClipboardHistory")));

  SetWindowTextW(target.edit, L"");
  gTypedChars = 0;
  ASSERT_TRUE(OpenClipboard(clipboard.window));
  Type("Pause t m");
  EXPECT_TRUE(PumpUntil([&] { return target.Text() == L"eleven char"; }, kTimeoutMs));
  CloseClipboard();
  EXPECT_EQ(1, gPastes);
  EXPECT_EQ(11, gTypedChars);
  EXPECT_EQ(before, clipboard.Read());
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
  EXPECT_NE(std::string::npos,
            ReadWholeFile(dir.File("tambrel.log"))
                .find("Type Text: typed 11 characters instead of pasting them: the clipboard could not be opened"));
}

TEST_F(RealProgram, NoticeShowsWhileToggledAndTheWindowKeepsTheFocus) {
  std::string why;
  if (!Start("", 60000, &why)) GTEST_SKIP() << why;
  Type("Pause");
  EXPECT_TRUE(PumpUntil([] { return Visible("TambrelNotify", nullptr); }, kTimeoutMs));
  EXPECT_EQ(window, GetForegroundWindow());
  HWND notice = FindWindowA("TambrelNotify", nullptr);
  RECT rect = {}, work = {};
  GetWindowRect(notice, &rect);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work.right - 480, rect.left);
  EXPECT_EQ(work.bottom - 55, rect.top);
  Type("Pause");
  EXPECT_TRUE(PumpUntil([] { return !Visible("TambrelNotify", nullptr); }, kTimeoutMs));
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

std::string NoticeText() {
  char text[512] = "";
  GetWindowTextA(FindWindowA("TambrelNotify", nullptr), text, sizeof text);
  return text;
}

TEST_F(RealProgram, NoticeListsTheBindingsThatCanStillBeTyped) {
  std::string why;
  // A key combination is listed with the rest until the typed text leads somewhere, where it
  // can fire while toggled: when the user lets combinations work then, and in this program.
  if (!Start(Binding("NP", kMacroGuid, "np") + Binding("Q", kMacroGuid, "q") + Binding("NX", kMacroGuid, "nx") +
                 ComboBinding('Q', 1 | 2, "", "cq") + ComboBinding('R', 1, " programs=\"other.exe\"", "r"),
             60000, &why, "",
             std::string("<plugin guid=\"") + kComboGuid + "\" active=\"yes\"><whiletoggled>yes</whiletoggled></plugin>"))
    GTEST_SKIP() << why;
  const std::string all = "Tambrel is toggled\r\nCtrl+Alt+Q cq\r\nNP np\r\nNX nx\r\nQ q";
  Type("Pause");
  EXPECT_TRUE(PumpUntil([&] { return Visible("TambrelNotify", nullptr) && NoticeText() == all; }, kTimeoutMs))
      << NoticeText();
  Type("n");
  const std::string afterN = "Tambrel is toggled\r\nNP np\r\nNX nx";
  EXPECT_TRUE(PumpUntil([&] { return NoticeText() == afterN; }, kTimeoutMs)) << NoticeText();
  EXPECT_EQ(window, GetForegroundWindow());
  RECT notice = {}, work = {};
  GetWindowRect(FindWindowA("TambrelNotify", nullptr), &notice);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(notice.left >= work.left && notice.top >= work.top && notice.right == work.right - 10 &&
              notice.bottom == work.bottom - 10);
  Type("Pause");
  EXPECT_TRUE(PumpUntil([] { return !Visible("TambrelNotify", nullptr); }, kTimeoutMs));
  EXPECT_TRUE(gKeys.empty());
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

// Down, Down, Enter runs the second row the notice lists, as typing its shortcut would; typing
// goes on narrowing the rows and the highlight stays on its binding. No key of these reaches
// the focused window: only what the binding types.
TEST_F(RealProgram, DownDownEnterRunsTheSecondRowOfTheNotice) {
  std::string why;
  if (!Start(Binding("NP", kMacroGuid, "np") + Binding("Q", kMacroGuid, "q") + Binding("NX", kMacroGuid, "nx"), 60000,
             &why))
    GTEST_SKIP() << why;
  auto chars = [] {
    std::string typed;
    for (const std::string& key : gKeys)
      if (key.compare(0, 5, "char ") == 0) typed += key.substr(5);
    return typed;
  };
  Type("Pause Down Down");
  const std::string second = "Tambrel is toggled\r\nNP np\r\n> NX nx\r\nQ q";
  EXPECT_TRUE(PumpUntil([&] { return NoticeText() == second; }, kTimeoutMs)) << NoticeText();
  Type("Return");
  EXPECT_TRUE(PumpUntil([&] { return chars() == "nx"; }, kTimeoutMs)) << chars();
  EXPECT_TRUE(PumpUntil([] { return !Visible("TambrelNotify", nullptr); }, kTimeoutMs));
  PumpFor(300);
  for (const std::string& key : gKeys)
    EXPECT_TRUE(key.find(" 0D") == std::string::npos && key.find(" 28") == std::string::npos) << key;

  gKeys.clear();
  Type("Pause Down n");
  EXPECT_TRUE(PumpUntil([&] { return NoticeText() == "Tambrel is toggled\r\n> NP np\r\nNX nx"; }, kTimeoutMs))
      << NoticeText();
  Type("Down Return");
  EXPECT_TRUE(PumpUntil([&] { return chars() == "nx"; }, kTimeoutMs)) << chars();
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

// What a program of the test's own was typed, read from its edit (WM_GETTEXT crosses processes).
std::string ProbeText(const char* title) {
  char text[64] = "";
  HWND edit = FindWindowExA(FindWindowA("STATIC", title), nullptr, "EDIT", nullptr);
  SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(RealProgram, ABindingForOneProgramFiresOnlyInIt) {
  auto binding = [](const char* programs, const char* macro) {
    return std::string("<action><shortcut plugin=\"") + kSequenceGuid + "\"" + programs + ">NP</shortcut>" +
           "<actiontype plugin=\"" + kMacroGuid + "\">" + macro + "</actiontype></action>";
  };
  // Names outside the system code page, in UTF-8 as conf.xml holds them: "Bloknot.exe" in
  // Cyrillic. "Tetrad'.exe", as long, would be shown as the same "???????.exe".
  const char kNotepadUtf8[] = "\xD0\x91\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE\xD1\x82.exe";
  const std::wstring notepad = L"\u0411\u043b\u043e\u043a\u043d\u043e\u0442";
  const std::wstring exercise = L"\u0422\u0435\u0442\u0440\u0430\u0434\u044c";
  std::string why;
  if (!Start(binding(" programs=\"alpha.exe\"", "a") + binding(" programs=\"BETA.EXE; gamma.exe\"", "b") +
                 binding("", "c") + binding((std::string(" programs=\"") + kNotepadUtf8 + "\"").c_str(), "d"),
             60000, &why))
    GTEST_SKIP() << why;
  Probes probes;
  for (const char* name : {"alpha", "beta"}) ASSERT_TRUE(probes.Start(dir, name));
  for (const char* name : {"alpha", "beta"}) {
    std::string title = std::string("Probe ") + name, output;
    HWND probe = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (probe = FindWindowA("STATIC", title.c_str())) != nullptr; }, kTimeoutMs));
    ASSERT_TRUE(FocusWindow(shell, probe, title.c_str(), &output)) << output;
    Type("Pause n p");
    std::string typed(1, name[0]);  // alpha's binding types a, beta's b
    EXPECT_TRUE(PumpUntil([&] { return ProbeText(title.c_str()) == typed; }, kTimeoutMs))
        << title << " got \"" << ProbeText(title.c_str()) << "\"";
  }
  ASSERT_TRUE(probes.Start(dir, notepad, "Probe notepad"));
  ASSERT_TRUE(probes.Start(dir, exercise, "Probe exercise"));
  for (const char* title : {"Probe notepad", "Probe exercise"}) {
    std::string output;
    ASSERT_TRUE(FocusWindow(shell, FindWindowA("STATIC", title), title, &output)) << output;
    Type("Pause n p");
    std::string typed = strcmp(title, "Probe notepad") == 0 ? "d" : "c";
    EXPECT_TRUE(PumpUntil([&] { return ProbeText(title) == typed; }, kTimeoutMs))
        << title << " got \"" << ProbeText(title) << "\"";
  }
  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause n p");  // in a program that no filter names
  EXPECT_TRUE(PumpUntil([&] { return std::find(gKeys.begin(), gKeys.end(), "char c") != gKeys.end(); }, kTimeoutMs))
      << (gKeys.empty() ? "nothing" : gKeys.back());
  // Nothing changed, so nothing would be written: without the file, the quit writes it whole.
  ASSERT_TRUE(DeleteFileA(dir.File("conf.xml").c_str()));
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find("programs=\"BETA.EXE;gamma.exe\">NP<"));
  EXPECT_NE(std::string::npos, written.find("programs=\"&#x411;&#x43B;&#x43E;&#x43A;&#x43D;&#x43E;&#x442;.exe\">NP<"))
      << written;
}

// Unzipped to a folder that the system code page cannot name, the program starts, loads its
// plugins, runs a binding by real keys, writes conf.xml, its log and the debug report there,
// and makes the Startup shortcut that starts it there.
TEST_F(RealProgram, RunsFromAFolderTheCodePageCannotName) {
  RunFromUnicodeFolder();
  struct ShortcutsGo {  // one left behind would start the program at the prefix's next boot
    std::wstring program;
    ~ShortcutsGo() { RemoveStartupShortcuts(program); }
  } shortcuts = {Program()};
  std::string why;
  if (!Start(Binding("MM", kMacroGuid, "hi"), 60000, &why)) GTEST_SKIP() << why;
  Type("Pause m m");
  EXPECT_TRUE(PumpUntil([&] { return Seen("char i"); }, kTimeoutMs)) << (gKeys.empty() ? "nothing" : gKeys.back());

  // "Start Tambrel when I sign in" in the settings window, then the main window's hidden
  // "Debug Dump" button, as their clicks reach the windows.
  HWND settings = TopWindowOf(process.dwProcessId, "Settings"), main = TopWindowOf(process.dwProcessId, "Tambrel");
  ASSERT_NE(nullptr, settings);
  ASSERT_NE(nullptr, main);
  HWND box = GetDlgItem(settings, IDC_SETTINGS_STARTUP);
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(settings, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_STARTUP, BN_CLICKED), reinterpret_cast<LPARAM>(box));
  std::wstring target, working;
  ASSERT_TRUE(ReadShortcut(StartupShortcutPath(), &target, &working));
  EXPECT_EQ(Program(), target);
  EXPECT_EQ(Folder(), working);
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_DEBUGDUMP, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_MAIN_DEBUGDUMP)));
  std::string report = ReadWholeFile(Folder() + L"\\debug.txt");
  EXPECT_NE(std::string::npos, report.find("Configuration file: " + ShownText(Folder()) + "\\conf.xml\r\n")) << report;
  EXPECT_NE(std::string::npos, report.find("\tStart at sign-in: shortcut " + ShownText(StartupShortcutPath()) + "\r\n"));
  EXPECT_NE(std::string::npos, report.find("{92DF9468-C0AE-4198-91C8-53296E9EA06E} from tambrelplug.dll\r\n"));

  // Nothing changed, so nothing would be written: without the file, the quit writes it whole.
  ASSERT_TRUE(DeleteFileW((Folder() + L"\\conf.xml").c_str()));
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
  EXPECT_NE(std::string::npos, ReadWholeFile(Folder() + L"\\conf.xml").find(">MM</shortcut>"));
  std::string log = ReadWholeFile(Folder() + L"\\tambrel.log");
  EXPECT_NE(std::string::npos, log.find(" Notice: Tambrel started\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find(" Notice: Tambrel shut down\r\n")) << log;
}

// With a timeout of two seconds, a toggle left alone ends, and what is typed next goes on.
// conf.xml edited by hand while the program runs, saved as editors save (a new file renamed
// over the old one): within a second of the last change it is loaded, and the new binding
// fires by real keys.
// A broken edit leaves the running bindings, and with nothing of Tambrel's own to write, the
// file stays as the user left it after the quit.
TEST_F(RealProgram, AHandEditIsPickedUpWhileRunningAndABrokenOneIsLeftAlone) {
  std::string why;
  if (!Start(Binding("NP", kMacroGuid, "a"), 60000, &why)) GTEST_SKIP() << why;
  auto log = [&] { return ReadWholeFile(dir.File("tambrel.log")); };
  std::string edited = "<tambrel version=\"2.01\"><options><option name=\"log\">yes</option></options><plugins/>"
                       "<actions>" + Binding("NP", kMacroGuid, "a") + Binding("QQ", kMacroGuid, "b") + "</actions></tambrel>";
  WriteWholeFile(dir.File("conf.xml.tmp"), edited);
  DWORD saved = GetTickCount();
  ASSERT_TRUE(MoveFileExA(dir.File("conf.xml.tmp").c_str(), dir.File("conf.xml").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_TRUE(PumpUntil([&] { return log().find("is loaded again: 2 bindings") != std::string::npos; }, kTimeoutMs))
      << log();
  EXPECT_LT(GetTickCount() - saved, 1000u);  // loaded within a second of the change
  Type("Pause q q");
  EXPECT_TRUE(PumpUntil([&] { return Seen("char b"); }, kTimeoutMs)) << (gKeys.empty() ? "nothing" : gKeys.back());

  const std::string broken = "<tambrel version=\"2.01\"><actions><action>";
  WriteWholeFile(dir.File("conf.xml"), broken);
  EXPECT_TRUE(PumpUntil([&] { return log().find("Tambrel cannot load it") != std::string::npos; }, kTimeoutMs));
  gKeys.clear();
  Type("Pause n p");
  EXPECT_TRUE(PumpUntil([&] { return Seen("char a"); }, kTimeoutMs));
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
  EXPECT_EQ(broken, ReadWholeFile(dir.File("conf.xml")));
}

TEST_F(RealProgram, AToggleLeftAloneEndsAfterItsTimeout) {
  std::string why;
  if (!Start("", 60000, &why, "",
             "<plugin guid=\"{9129154F-FB6F-4CE7-9D48-399EA570C2F6}\" active=\"yes\"><timeout>2</timeout></plugin>"))
    GTEST_SKIP() << why;
  Type("Pause");
  EXPECT_TRUE(PumpUntil([] { return Visible("TambrelNotify", nullptr); }, kTimeoutMs));
  PumpFor(3000);
  EXPECT_FALSE(Visible("TambrelNotify", nullptr));
  Type("a b");
  PumpUntil([&] { return gKeys.size() >= 6; }, kTimeoutMs);
  EXPECT_EQ((std::vector<std::string>{"100 41", "char a", "101 41", "100 42", "char b", "101 42"}), gKeys);
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

TEST_F(RealProgram, PauseF11ShowsAndHidesTheMainWindowAndPauseEscapeQuits) {
  std::string why;
  if (!Start("", 60000, &why)) GTEST_SKIP() << why;
  Type("Pause F11");
  EXPECT_TRUE(PumpUntil([] { return Visible("#32770", "Tambrel"); }, kTimeoutMs)) << "F11 showed nothing";
  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause F11");
  EXPECT_TRUE(PumpUntil([] { return !Visible("#32770", "Tambrel"); }, kTimeoutMs)) << "F11 hid nothing";
  ASSERT_TRUE(Focus(&why)) << why;
  DeleteFileA(dir.File("conf.xml").c_str());
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
  EXPECT_TRUE(FileExists(dir.File("conf.xml")));  // written at the end
}

// A control of the program's main window, found through the page that hosts it.
HWND PageControl(HWND mainWindow, int id) {
  HWND tabs = GetDlgItem(mainWindow, 1025);
  for (HWND page = GetWindow(tabs, GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT))
    if (HWND item = GetDlgItem(page, id)) return item;
  return nullptr;
}

// Chooses a plugin in one of the main window's boxes as a click would, by its type name. The
// item texts are read through the box's own text: WM_GETTEXT crosses processes.
bool ChooseType(HWND mainWindow, int comboId, const char* name) {
  HWND combo = GetDlgItem(mainWindow, comboId);
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[64] = "";
    SendMessageA(combo, CB_SETCURSEL, i, 0);
    SendMessageA(combo, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));  // GetWindowText reads no other process's control
    if (strcmp(text, name) != 0) continue;
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
  }
  return false;
}

TEST_F(RealProgram, ABindingMadeInTheMainWindowFiresWithRealKeys) {
  std::string marker = dir.File("made.txt");
  std::string why;
  if (!Start(Binding("NP", kExecuteGuid, "<command>notepad.exe</command>") +
                 Binding("MM", kMacroGuid, "hello"),
             60000, &why, "<option name=\"autoshow\">yes</option>"))
    GTEST_SKIP() << why;
  HWND main = ShownMainWindow();
  ASSERT_NE(nullptr, main);
  std::string output;
  // Clicks into a control of the main window and types into it, as a user does.
  auto typeInto = [&](HWND control, const char* text) {
    RECT item;
    GetWindowRect(control, &item);  // screen coordinates are the X root's
    char script[256];
    snprintf(script, sizeof script,
             "w=$(xdotool search --name '^Tambrel$' | head -n 1)\n"
             "xdotool windowfocus --sync \"$w\" mousemove %ld %ld click 1 sleep 0.3 type --delay 60 '%s'",
             item.left + 8, (item.top + item.bottom) / 2, text);
    return shell.Run(script, &output) == 0;
  };

  SendMessageA(main, WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, 1006)));
  ASSERT_TRUE(ChooseType(main, 1010, "Sequence Shortcut"));
  HWND shortcut = PageControl(main, 1001);
  ASSERT_NE(shortcut, nullptr);
  ASSERT_TRUE(typeInto(shortcut, "qx")) << output;
  // The action tab: its header, then the box that sits on it.
  HWND tabs = GetDlgItem(main, 1025);
  SendMessageA(tabs, TCM_SETCURFOCUS, 1, 0);
  PumpFor(300);
  ASSERT_TRUE(ChooseType(main, 1001, "Execute File"));
  HWND command = PageControl(main, 1004);
  ASSERT_NE(command, nullptr);
  ASSERT_TRUE(typeInto(command, "cmd.exe")) << output;
  SendMessageA(PageControl(main, 1003), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("/c echo made>made.txt"));
  SendMessageA(PageControl(main, 1002), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dir.Path().c_str()));
  SendMessageA(GetDlgItem(main, 1005), BM_CLICK, 0, 0);  // Save
  EXPECT_EQ(SendMessageA(GetDlgItem(main, 1003), LVM_GETITEMCOUNT, 0, 0), 3);
  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(main));

  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause q x");
  EXPECT_TRUE(PumpUntil([&] { return FileExists(marker); }, kTimeoutMs)) << "the new binding did not run";
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find("QX</shortcut>")) << written;
  EXPECT_NE(std::string::npos, written.find("<command>cmd.exe</command>")) << written;
}

// Ctrl+F in the main window, then typing: the list shows only the rows that hold the text;
// Escape in the box shows all of them again and leaves the window up.
TEST_F(RealProgram, TypingIntoTheSearchBoxFiltersTheRows) {
  std::string why;
  if (!Start(Binding("NP", kExecuteGuid, "<command>notepad.exe</command>") + Binding("MM", kMacroGuid, "hello") +
                 Binding("QX", kExecuteGuid, "<command>cmd.exe</command>"),
             60000, &why, "<option name=\"autoshow\">yes</option>"))
    GTEST_SKIP() << why;
  HWND main = ShownMainWindow();
  ASSERT_NE(nullptr, main);
  HWND list = GetDlgItem(main, 1003);
  RECT rows;
  GetWindowRect(list, &rows);
  std::string output, script = "w=$(xdotool search --name '^Tambrel$' | head -n 1)\n"
                               "xdotool windowfocus --sync \"$w\" mousemove " +
                               std::to_string(rows.left + 40) + " " + std::to_string(rows.bottom - 8) +
                               " click 1 sleep 0.3 key ctrl+f sleep 0.2 type --delay 60 'NOTE'";
  ASSERT_EQ(0, shell.Run(script, &output)) << output;
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; }, kTimeoutMs))
      << SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) << " rows";
  ASSERT_EQ(0, shell.Run("xdotool key --delay 60 BackSpace BackSpace BackSpace BackSpace m", &output)) << output;
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, kTimeoutMs))
      << SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) << " rows";  // MM and its macro, and cMd.exe
  ASSERT_EQ(0, shell.Run("xdotool key Escape", &output)) << output;
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }, kTimeoutMs));
  PumpFor(300);
  EXPECT_TRUE(IsWindowVisible(main));
  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

// Key combinations fire without the toggle; the key stays away from the focused window and the
// modifiers pass, so none is left down, and the macro types with them released.
TEST_F(RealProgram, CtrlAltTTypesItsMacroAndLeavesNoModifierDown) {
  std::string why;
  if (!Start(ComboBinding('T', 1 | 2, "", "hi") + ComboBinding('Y', 1 | 2, "", "y^%y"), 60000, &why))
    GTEST_SKIP() << why;
  Type("ctrl+alt+t");
  PumpUntil([&] { return Seen("char i"); }, kTimeoutMs);
  PumpFor(300);
  std::vector<std::string> chars;
  for (const std::string& key : gKeys)
    if (key.compare(0, 4, "char") == 0) chars.push_back(key);
  EXPECT_EQ((std::vector<std::string>{"char h", "char i"}), chars);
  EXPECT_FALSE(Seen("100 54"));
  EXPECT_FALSE(Seen("101 54"));
  for (int vk : {VK_CONTROL, VK_MENU, VK_SHIFT, int{'T'}}) {
    EXPECT_EQ(0, GetAsyncKeyState(vk) & 0x8000) << vk;
    EXPECT_EQ(0, GetKeyState(vk) & 0x8000) << vk;
  }
  // A macro that presses its own combination runs once: its keys are the program's own.
  Type("ctrl+alt+y");
  PumpUntil([&] { return Seen("char y"); }, kTimeoutMs);
  PumpFor(500);
  EXPECT_EQ(1, std::count(gKeys.begin(), gKeys.end(), "char y"));
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  size_t key = written.find("<key>84</key>");
  EXPECT_NE(std::string::npos, key) << written;
  EXPECT_LT(key, written.find("<modifiers>3</modifiers>")) << written;
}

// Win pressed and released with nothing between opens the Start menu: the unassigned key 0xE8
// comes between once the combination has fired, right before Win's release.
TEST_F(RealProgram, WinNFiresAndAMaskKeyComesBeforeWinIsReleased) {
  std::string why;
  if (!Start(ComboBinding('N', 8, "", "x"), 60000, &why)) GTEST_SKIP() << why;
  Type("super+n");
  PumpUntil([&] { return Seen("char x") && Seen("101 5B"); }, kTimeoutMs);
  PumpFor(300);
  EXPECT_TRUE(Seen("char x"));
  EXPECT_FALSE(Seen("100 4E"));
  auto release = std::find(gKeys.rbegin(), gKeys.rend(), "101 5B");
  ASSERT_NE(gKeys.rend(), release);
  ASSERT_TRUE(gKeys.rend() - release >= 3);
  EXPECT_EQ("101 E8", *(release + 1));
  EXPECT_EQ("100 E8", *(release + 2));
  EXPECT_EQ(0, GetAsyncKeyState(VK_LWIN) & 0x8000);
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

TEST_F(RealProgram, ACombinationForOneProgramFiresOnlyInIt) {
  std::string why;
  if (!Start(ComboBinding('P', 1 | 2, " programs=\"alpha.exe\"", "a") + ComboBinding('P', 1 | 2, "", "c"), 60000, &why))
    GTEST_SKIP() << why;
  Probes probes;
  ASSERT_TRUE(probes.Start(dir, "alpha"));
  HWND probe = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (probe = FindWindowA("STATIC", "Probe alpha")) != nullptr; }, kTimeoutMs));
  std::string output;
  ASSERT_TRUE(FocusWindow(shell, probe, "Probe alpha", &output)) << output;
  Type("ctrl+alt+p");
  EXPECT_TRUE(PumpUntil([&] { return ProbeText("Probe alpha") == "a"; }, kTimeoutMs)) << ProbeText("Probe alpha");
  ASSERT_TRUE(Focus(&why)) << why;
  Type("ctrl+alt+p");
  EXPECT_TRUE(PumpUntil([&] { return Seen("char c"); }, kTimeoutMs)) << (gKeys.empty() ? "nothing" : gKeys.back());
  EXPECT_EQ("a", ProbeText("Probe alpha"));
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

struct TitleSearch {
  const char* title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTitled(HWND window, LPARAM context) {
  TitleSearch* search = reinterpret_cast<TitleSearch*>(context);
  char text[64] = "";
  GetWindowTextA(window, text, sizeof text);
  if (strcmp(text, search->title) == 0 && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

// Whether the window is its thread's active window and the keyboard focus lies in it.
bool HasKeyboardFocus(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndActive == window &&
         info.hwndFocus != nullptr && (info.hwndFocus == window || IsChild(window, info.hwndFocus));
}

// The visible windows titled so, of every program.
std::vector<HWND> WindowsTitled(const char* title) {
  TitleSearch search = {title, {}};
  EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// "Switch to it when it is already running": the first Pause S W starts the program, the
// next ones bring its window to the front with the keys going to it, and with two of its
// windows, each press brings the other; no second copy is started. A minimised one comes
// back; a binding naming the program without a path finds it too.
TEST_F(RealProgram, ExecuteFileSwitchesToTheRunningProgramInsteadOfStartingItAgain) {
  std::string exe = dir.File("alpha.exe");
  ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\probewindow.exe").c_str(), exe.c_str(), FALSE));
  std::string why;
  if (!Start(Binding("SW", kExecuteGuid,
                     "<command>" + exe + "</command><parameter>Probe alpha</parameter><dir/><switch>yes</switch>") +
                 Binding("SN", kExecuteGuid, "<command>alpha</command><parameter>Probe alpha</parameter>"
                                             "<switch>yes</switch>"),
             90000, &why))
    GTEST_SKIP() << why;
  Probes probes;
  Type("Pause s w");
  HWND first = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return !WindowsTitled("Probe alpha").empty(); }, kTimeoutMs)) << "nothing started";
  first = WindowsTitled("Probe alpha").front();
  probes.Adopt(first);
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == first; }, kTimeoutMs)) << "the started program is behind";
  EXPECT_TRUE(PumpUntil([&] { return HasKeyboardFocus(first); }, kTimeoutMs)) << "no keyboard focus";

  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause s w");
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == first; }, kTimeoutMs)) << "not raised";
  // Its thread has it active, with the keyboard focus in its edit. (Without a window
  // manager the X server's focus stays where it was: keys typed now would not reach it.)
  EXPECT_TRUE(PumpUntil([&] { return HasKeyboardFocus(first); }, kTimeoutMs)) << "no keyboard focus";
  EXPECT_EQ(1u, WindowsTitled("Probe alpha").size());

  // Two of its windows: each press brings the other one.
  ASSERT_TRUE(probes.Start(dir, "alpha", "Probe alpha 2"));
  HWND second = FindWindowA("STATIC", "Probe alpha 2");
  std::string output;
  ASSERT_TRUE(FocusWindow(shell, second, "Probe alpha 2", &output)) << output;
  Type("Pause s w");
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == first; }, kTimeoutMs)) << "not cycled to the first";
  EXPECT_TRUE(PumpUntil([&] { return HasKeyboardFocus(first); }, kTimeoutMs)) << "no keyboard focus";
  Type("Pause s w");
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == second; }, kTimeoutMs)) << "not cycled back";

  // By file name, from another program: its frontmost window.
  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause s n");
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == second; }, kTimeoutMs)) << "not found by name";

  // Minimised: restored.
  SendMessageA(second, WM_CLOSE, 0, 0);
  ShowWindow(first, SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(first) != FALSE; }, kTimeoutMs));
  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause s w");
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(first) && GetForegroundWindow() == first; }, kTimeoutMs))
      << "not restored";
  EXPECT_EQ(1u, WindowsTitled("Probe alpha").size());

  ASSERT_TRUE(Focus(&why)) << why;
  Type("Pause Escape");
  EXPECT_EQ(0u, WaitForExit(15000));
}

}  // namespace
