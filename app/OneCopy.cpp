#include "OneCopy.h"

#include <string.h>

#include "Engine.h"
#include "Messages.h"

namespace {

// The name lives in the session's own namespace and goes with the last handle, also when the
// program is killed. Nobody owns it: a copy that ends is waited for through its process.
const char kSessionName[] = "Local\\Tambrel";
const DWORD kWaitMs = 10000;   // for the running copy's window to come up, or to end
const DWORD kAnswerMs = 5000;  // for it to show its window

enum RunningCopy { kCopyShown, kCopyEnded, kCopyNotAnswering, kCopyRefused };

bool NameExists() {
  HANDLE name = OpenMutexA(SYNCHRONIZE, FALSE, kSessionName);
  if (name != nullptr) CloseHandle(name);
  return name != nullptr || GetLastError() != ERROR_FILE_NOT_FOUND;
}

// Another process's window title is read, not asked for: it answers while its thread hangs.
bool ShuttingDown(HWND window) {
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  return strcmp(title, kShuttingDownTitle) == 0;
}

RunningCopy ShowRunningCopy() {
  // The running copy makes its window a moment after it took the name: a start in that
  // moment waits for it. A copy whose window went at the very end of its shut-down has ended
  // once its name is gone.
  HWND window;
  for (DWORD waited = 0; (window = FindWindowExA(HWND_MESSAGE, nullptr, kEngineWindowClass, nullptr)) == nullptr;
       waited += 50) {
    if (!NameExists()) return kCopyEnded;
    if (waited >= kWaitMs) return kCopyNotAnswering;
    Sleep(50);
  }
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  if (!ShuttingDown(window)) {
    // Only a process that the user started may bring a window to the front: this one hands
    // that right on to the running one.
    AllowSetForegroundWindow(id);
    DWORD_PTR done = 0;
    if (SendMessageTimeoutA(window, kShowMainWindow, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kAnswerMs, &done))
      return kCopyShown;
    // A copy of a higher integrity level that did not let the request through.
    if (GetLastError() == ERROR_ACCESS_DENIED) return kCopyRefused;
    // No answer: one that began to shut down meanwhile is waited for below.
    if (IsWindow(window) && !ShuttingDown(window)) return kCopyNotAnswering;
  }
  if (!process) return NameExists() ? kCopyNotAnswering : kCopyEnded;
  return WaitForSingleObject(process.Get(), kWaitMs) == WAIT_OBJECT_0 ? kCopyEnded : kCopyNotAnswering;
}

}  // namespace

bool TakeSessionName(UniqueKernelHandle* name, int* exitCode) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    name->Reset(CreateMutexA(nullptr, FALSE, kSessionName));
    DWORD error = GetLastError();
    // A name that may not be opened belongs to a copy with higher rights (run as
    // administrator): it runs all the same. Without a name for any other reason this start
    // runs, as it did before there was one.
    bool another = *name ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (!another) return true;
    name->Reset();
    switch (ShowRunningCopy()) {
      case kCopyShown:
        *exitCode = 0;
        return false;
      case kCopyEnded:
        continue;
      case kCopyRefused:
        ReportError(
            "Tambrel is already running with higher rights (as administrator), and it cannot be asked to show its "
            "window from here. Use its notification icon, or start Tambrel as administrator.");
        *exitCode = 1;
        return false;
      case kCopyNotAnswering:
        break;
    }
    break;
  }
  ReportError("Tambrel is already running, but it does not answer.");
  *exitCode = 1;
  return false;
}
