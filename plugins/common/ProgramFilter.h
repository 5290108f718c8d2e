// A shortcut's program filter: the executable file names of the programs it applies in,
// compared without regard to case and without folders. Empty means every program. Names are
// UTF-16, as the file system keeps them: a name outside the system code page ("Блокнот.exe"
// on a Western system) is matched, stored and edited whole, and shown with "?" only in the
// 8-bit texts of the plugin contract.
#ifndef TAMBRELPLUG_PROGRAMFILTER_H
#define TAMBRELPLUG_PROGRAMFILTER_H

#include <windows.h>

#include <stddef.h>

#include <string>
#include <vector>

// "notepad.exe; C:\Tools\winword.exe;;" gives notepad.exe and winword.exe: names separated
// by ";", spaces around them and folders dropped, each name once.
std::vector<std::wstring> ParsePrograms(const std::wstring& list);
std::wstring JoinPrograms(const std::vector<std::wstring>& names, const wchar_t* separator);

// As the file system compares names: every script, without regard to case.
bool SameProgram(const wchar_t* a, const wchar_t* b);

// Every program name that some filter of a plugin holds, each once. A filter keeps their
// numbers (index + 1), so that matching the program at hand compares numbers; 0 stands for
// a program that no filter names.
class ProgramNames {
 public:
  // The numbers of a list's names, adding the names not yet known.
  std::vector<int> Numbers(const std::wstring& list);
  int NumberOf(const wchar_t* name) const;
  std::wstring List(const std::vector<int>& numbers, const wchar_t* separator) const;
  size_t Count() const { return m_names.size(); }

 private:
  std::vector<std::wstring> m_names;
};

// The process a window belongs to as the user sees it, with its program's file name in name
// (empty text when it cannot be asked); 0 for no window. A UWP app's top-level window belongs
// to ApplicationFrameHost.exe, which hosts the app's own window (class
// Windows.UI.Core.CoreWindow, of the app's process) as its child: such a frame counts as the
// app it hosts. A minimised one hosts none and stays ApplicationFrameHost.exe. Allocates
// nothing: the keyboard hook asks.
DWORD ProcessOfWindow(HWND window, wchar_t* name, size_t size);
// The file name alone.
void ProgramOfWindow(HWND window, wchar_t* out, size_t size);
// The same for the foreground window.
void ForegroundProgram(wchar_t* out, size_t size);

#endif
