// Real desktop input for tests under Wine: Unix programs (xdotool) run through a shell
// script, and message pumping while they work.
//
// xdotool is a Linux program. Wine starts Unix programs through CreateProcess on their
// path, but the handle it returns cannot be waited on, so xdotool runs inside a small
// shell script that leaves its exit status in a file; this thread keeps pumping messages
// meanwhile, since hooks and X focus events are both delivered through them.
#ifndef TAMBREL_XTOOLS_H
#define TAMBREL_XTOOLS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"

const DWORD kTimeoutMs = 10000;

bool UnderWine();
std::string UnixPath(const std::string& dosPath);
std::string DosPath(const char* unixPath);

void PumpOnce();
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD ms);

// Runs shell scripts in a folder, pumping messages until each has left its status.
class UnixShell {
 public:
  explicit UnixShell(const TempWorkDir& dir) : m_dir(dir), m_unixDir(UnixPath(dir.Path())) {}
  // The script's exit status; -1 when it could not be started or did not end in time.
  int Run(const std::string& body, std::string* output);

 private:
  const TempWorkDir& m_dir;
  std::string m_unixDir;
};

// Empty when xdotool can be used here; otherwise why not, for GTEST_SKIP.
std::string WhyNoXdotool(const TempWorkDir& dir);

// Gives the top-level window with this title (of this program or another) the X focus and
// clicks into it.
bool FocusWindow(UnixShell& shell, HWND window, const char* title, std::string* output);

// Copies of probewindow.exe under other names, standing for other programs; ended with the
// test, however it ends.
class Probes {
 public:
  Probes() = default;
  ~Probes();
  Probes(const Probes&) = delete;
  Probes& operator=(const Probes&) = delete;
  // Starts name.exe in dir with a window titled "Probe name", or the title given, and waits
  // until it shows.
  bool Start(const TempWorkDir& dir, const char* name, const char* windowTitle = nullptr);
  bool Start(const TempWorkDir& dir, const std::wstring& name, const std::string& windowTitle);
  // Starts name.exe in dir with this command line, without waiting for anything.
  bool Run(const TempWorkDir& dir, const std::wstring& name, const std::string& arguments);
  // Ends the last one started, as when the user closes it.
  void EndLast();
  // A probe that another program started, ended with the test like the others.
  void Adopt(HWND window);

 private:
  std::vector<PROCESS_INFORMATION> m_processes;
};

// Waits until the started tambrel.exe answers on its message loop (its hook is in by then);
// false when it did not, or ended first.
bool WaitForTambrel(const PROCESS_INFORMATION& process, DWORD timeoutMs);

#endif
