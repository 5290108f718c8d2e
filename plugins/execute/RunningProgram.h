// "Switch to it when it is already running": finding the windows of the program a command
// starts, and bringing one of them, or the program started anew, to the front with the
// keyboard focus. Windows' rules, as this relies on them (Wine's focus rules are laxer, and
// it has no WOW64 file system redirection and no UWP frames, so none of this is proven
// there beyond the windows it finds and raises):
// - SetForegroundWindow works for the process that received the last input event and for
//   the processes it allows; others only flash their taskbar button. A key the hook
//   swallowed reached no one: an unassigned key of our own (0xE8) is sent first, as tools
//   with hooks do, and a program started is passed the right with AllowSetForegroundWindow.
// - ShowWindow on another process's window waits for it: a hung one would hold the thread of
//   the keyboard hook. ShowWindowAsync does not.
// - A 32-bit program that starts System32\x.exe gets SysWOW64\x.exe (file system
//   redirection); Sysnative names the real System32. The copies count as one program.
// - A console window names the first program attached to it as its process. UWP apps'
//   top-level windows belong to ApplicationFrameHost.exe, and count as the app whose window
//   they host (ProgramFilter.h); a minimised one hosts none, so a command that starts such an
//   app then finds none of its windows and starts it as before.
#ifndef TAMBRELPLUG_RUNNINGPROGRAM_H
#define TAMBRELPLUG_RUNNINGPROGRAM_H

#include <windows.h>

#include <string>
#include <vector>

// The program a command starts: its full path when the command has one, else its file name.
struct ProgramImage {
  std::wstring name;  // a full path, or a file name
  bool byPath;
};

// System folders whose copies of a program count as one: each pair maps the second folder
// onto the first. Empty for a process that sees no redirection.
struct FolderAliases {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
};
FolderAliases CurrentFolderAliases();

// False for a command that names no program: a document, a folder, a URL. A shortcut file
// (.lnk) names its target. A bare file name without extension is taken as an .exe, as the
// shell finds programs.
bool ProgramOfCommand(const std::wstring& command, ProgramImage* program);

// Whether a process's image (a full path) is the program: by full path, with the aliased
// folders as one, or by file name; without regard to case.
bool IsImageOf(const ProgramImage& program, const std::wstring& image, const FolderAliases& aliases);

// The visible top-level windows of the program's processes, front to back, as the user
// would switch between them (no tool windows, no owned windows).
std::vector<HWND> ProgramWindows(const ProgramImage& program);

// Which of the windows (front to back) comes to the front: the frontmost, or when the
// foreground window is one of them already, the one furthest back, so that pressing again
// cycles through them all. Null when none should move.
HWND WindowToRaise(const std::vector<HWND>& windows, HWND foreground);

// Restores the window when minimised, without waiting for it, and gives it the foreground
// and with it the keyboard focus.
void RaiseWindow(HWND window);

// Starts the command as the shell opens it, letting the started program take the
// foreground.
void StartProgram(const std::wstring& command, const std::wstring& parameter, const std::wstring& dir);

#endif
