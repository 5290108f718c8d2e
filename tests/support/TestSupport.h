// Helpers shared by the test programs.
#ifndef TAMBREL_TESTSUPPORT_H
#define TAMBREL_TESTSUPPORT_H

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// The folder of the running test program, where every built DLL lies.
std::string ProgramFolder();

// A fresh working folder for one test: made under %TEMP% (or the folder given), made
// current, filled with copies of the named DLLs from the program folder; the previous
// folder is restored and the new one removed when it goes.
class TempWorkDir {
 public:
  explicit TempWorkDir(std::initializer_list<const char*> dlls = {}, const std::string& base = "");
  ~TempWorkDir();
  const std::string& Path() const { return m_path; }
  std::string File(const char* name) const { return m_path + "\\" + name; }

 private:
  std::string m_path;
  std::string m_previous;
};

// Captures the message helpers' boxes instead of showing them.
class CapturedBoxes {
 public:
  struct Box {
    std::string text;
    std::string caption;
    UINT type;
  };
  CapturedBoxes();
  ~CapturedBoxes();
  const std::vector<Box>& Boxes() const;
  std::vector<std::string> Texts() const;
  void Clear();
  // What a box with Yes and No answers: IDYES unless told otherwise.
  void Answer(int answer);
};

// The system's message text for an error code, as the engine reports it: SystemText of
// config/ConfigStore.
std::string SystemText(DWORD error);

// Waits for a real message box captioned "Tambrel" (of any process), reads its text and
// presses OK. False when none appears within ten seconds.
bool DismissTambrelBox(std::string* text);

// The first top-level window of a process with that caption (only a visible one when asked,
// only one with a control of that id when one is given); null when it has none.
HWND TopWindowOf(DWORD process, const char* caption, bool visibleOnly = false, int withControl = 0);

// The program and the working folder of a shortcut file, read through IShellLinkW; false when
// it cannot be read.
bool ReadShortcut(const std::wstring& path, std::wstring* target, std::wstring* workingFolder);

// A text of the system code page in UTF-16, for the tests' own paths.
std::wstring Wide(const std::string& text);

// No shortcut of the Startup folder starts this test program, before and after a test: one
// left behind would start it at the Wine prefix's next boot.
class CleanStartupFolder {
 public:
  CleanStartupFolder();
  ~CleanStartupFolder();
};

// A folder put first on the process's PATH; the old value comes back.
class PathFirst {
 public:
  explicit PathFirst(const std::string& folder);
  ~PathFirst();

 private:
  std::string m_old;
};

// "Tambrel-Omega-Unicode" in Greek and Cyrillic: a folder name that the Western code page
// cannot hold, as an unzipped download or another script's user folder has.
const wchar_t kUnicodeFolderName[] =
    L"Tambrel-\u03a9\u03bc\u03ad\u03b3\u03b1-\u042e\u043d\u0438\u043a\u043e\u0434";
// Such a folder inside dir, with copies of the named files of the program folder; it goes
// with dir.
std::wstring MakeUnicodeFolder(const TempWorkDir& dir, std::initializer_list<const char*> files = {});

// The process's current folder for a scope; the previous one comes back.
class InFolder {
 public:
  explicit InFolder(const std::wstring& folder);
  ~InFolder();
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::wstring m_previous;
};

bool FileExists(const std::string& path);
bool FileExists(const std::wstring& path);
std::string ReadWholeFile(const std::string& path);
std::string ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::string& path, const std::string& contents);
void WriteWholeFile(const std::wstring& path, const std::string& contents);

#endif
