// The user interface end to end: the real tambrel.exe with the built-in plugins, started on
// a conf.xml of 10, 1,000 and 10,000 bindings (ten-character shortcuts, one execute action
// each, autoshow on), timed from process start to ready (the main window shown and filled,
// and a key answered by the message loop), then through Save, Copy and Delete in the main
// window, typing into its search box, and hiding and showing it. The probe plugin (uiprobe.dll, in the program's working
// folder) clicks and times the buttons from inside.
//
// All the while a probe key is injected every 10 ms. This program's own low-level keyboard
// hook, installed before Tambrel's, sees a probe only once Tambrel's hook has passed it on:
// the longest delay is the longest time the thread kept keys from the desktop. A probe that
// Windows gave up waiting for counts until the next one came through.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "UiProbe.h"

namespace {

const int kSizes[] = {10, 1000, 10000};
const char* const kSizeNames[] = {"10", "1,000", "10,000"};
const int kSizeCount = 3;
int kRuns = 7;  // program starts per size; another count from the command line
int kSizesRun = kSizeCount;  // and fewer sizes, for a quick look
int kRounds = 3;  // Save, Copy and Delete per start
const DWORD kProbeIntervalMs = 10;

// The probe key: a key no program acts on; this program's hook swallows it.
const WORD kProbeKey = VK_F24;
const ULONG_PTR kProbeMark = 0x7AB00000;  // dwExtraInfo = mark | probe number
const ULONG_PTR kProbeMarkMask = 0xFFF00000;
const int kMaxProbes = 0x10000;

ProbeBoard* gBoard;
LONGLONG gSent[kMaxProbes];
LONGLONG gPassed[kMaxProbes];  // when this program's hook saw probe n; 0 until then
volatile LONG gProbeCount;
volatile LONG gProbing;
LONGLONG gFrequency;

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

LONGLONG Passed(LONG n) { return InterlockedCompareExchange64(&gPassed[n], 0, 0); }

LONG ProbesSent() { return std::min<LONG>(static_cast<LONG>(gProbeCount), kMaxProbes); }

double Ms(LONGLONG ticks) { return static_cast<double>(ticks) * 1e3 / static_cast<double>(gFrequency); }

LRESULT CALLBACK ProbeHook(int code, WPARAM message, LPARAM lParam) {
  KBDLLHOOKSTRUCT* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
  if (code != HC_ACTION || (key->dwExtraInfo & kProbeMarkMask) != kProbeMark)
    return CallNextHookEx(nullptr, code, message, lParam);
  ULONG_PTR n = key->dwExtraInfo & ~kProbeMarkMask;
  if (message == WM_KEYDOWN && n < static_cast<ULONG_PTR>(kMaxProbes) && gPassed[n] == 0)
    InterlockedExchange64(&gPassed[n], Now());
  return 1;
}

// The hook's calls come to the thread that installed it, while it waits for messages.
DWORD WINAPI HookThread(void* ready) {
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, ProbeHook, GetModuleHandleA(nullptr), 0);
  SetEvent(ready);
  MSG msg;
  while (hook != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return hook != nullptr;
}

void SendProbe() {
  LONG n = InterlockedIncrement(&gProbeCount) - 1;
  if (n >= kMaxProbes) return;
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = kProbeKey;
    key.ki.dwExtraInfo = kProbeMark | static_cast<ULONG_PTR>(n);
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  gSent[n] = Now();
  SendInput(2, keys, sizeof keys[0]);
}

DWORD WINAPI ProbeThread(void*) {
  while (gProbing) {
    SendProbe();
    Sleep(kProbeIntervalMs);
  }
  return 0;
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisibleMain(HWND window, LPARAM param) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char caption[16] = "";
  if (pid != search->pid || !IsWindowVisible(window) || GetWindowTextA(window, caption, sizeof caption) == 0 ||
      strcmp(caption, "Tambrel") != 0)
    return TRUE;
  search->found = window;
  return FALSE;
}

std::string Configuration(int bindings) {
  std::string xml =
      "<?xml version=\"1.0\"?>\n<tambrel version=\"2.01\">\n  <options>\n"
      "    <option name=\"autoshow\">yes</option>\n  </options>\n  <plugins/>\n  <actions>\n";
  char line[512], shortcut[11];
  for (int i = 0; i < bindings; ++i) {
    ProbeShortcut(static_cast<unsigned>(i), shortcut);
    snprintf(line, sizeof line,
             "    <action>\n      <shortcut plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\">%s</shortcut>\n"
             "      <actiontype plugin=\"{CC0F56FA-93FA-49E0-B66F-167B15808C3E}\">\n"
             "        <command>C:\\Tools\\tool%05d.exe</command>\n        <parameter/>\n        <dir/>\n"
             "      </actiontype>\n    </action>\n",
             shortcut, i);
    xml += line;
  }
  return xml + "  </actions>\n</tambrel>\n";
}

// A phase of one program run, by the driver's clock: probes sent within it count for it.
struct Phase {
  LONGLONG begin, end;
};
enum { kStartUp, kEditing, kShowHide, kPhaseCount };
const char* const kPhaseNames[kPhaseCount] = {"start-up", "editing", "hide/show"};

struct SizeFigures {
  std::vector<double> startUp, save, copy, remove, repaint, hide, show;
  std::vector<double> searchKey, searchPaint;  // every key typed into the search box
  std::vector<double> slowestKey;              // per start, the slowest key, handled and painted
  std::vector<double> away[kPhaseCount];  // per start, the longest delay of a probe
  int lost = 0;  // probes Windows gave up on
};

double Worst(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The longest delay until a probe sent within each phase came through. A probe that never
// did waited at least until the next one came through.
void AddAway(const Phase* phases, LONGLONG runEnd, SizeFigures* figures) {
  double longest[kPhaseCount] = {};
  LONGLONG next = runEnd;
  for (LONG n = ProbesSent() - 1; n >= 0; --n) {
    LONGLONG passed = Passed(n);
    if (passed != 0) next = passed;
    for (int p = 0; p < kPhaseCount; ++p) {
      if (gSent[n] < phases[p].begin || gSent[n] > phases[p].end) continue;
      if (passed == 0) ++figures->lost;
      longest[p] = std::max(longest[p], Ms((passed != 0 ? passed : next) - gSent[n]));
    }
  }
  for (int p = 0; p < kPhaseCount; ++p) figures->away[p].push_back(longest[p]);
}

class Driver {
 public:
  Driver(const std::string& program) : m_program(program) {}
  ~Driver() { Stop(); }

  bool Start(const std::string& folder) {
    memset(gBoard, 0, sizeof *gBoard);
    memset(gPassed, 0, sizeof gPassed);
    gProbeCount = 0;
    gProbing = 1;
    m_probes = CreateThread(nullptr, 0, ProbeThread, nullptr, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    m_began = Now();
    return CreateProcessA(m_program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &m_process) != 0;
  }

  // Ready: the main window is visible and a key sent after that has come through.
  bool WaitReady(LONGLONG* ready) {
    WindowSearch search = {m_process.dwProcessId, nullptr};
    LONGLONG deadline = m_began + 60 * gFrequency;
    while (search.found == nullptr && Now() < deadline) {
      EnumWindows(FindVisibleMain, reinterpret_cast<LPARAM>(&search));
      if (search.found == nullptr) Sleep(1);
    }
    if (search.found == nullptr) return false;
    LONGLONG shown = Now();
    SendProbe();
    while (Now() < deadline) {
      LONGLONG first = 0;
      for (LONG n = ProbesSent() - 1; n >= 0 && gSent[n] >= shown; --n)
        if (LONGLONG passed = Passed(n)) first = first == 0 ? passed : std::min(first, passed);
      if (first != 0 && gBoard->window != nullptr) {
        *ready = first - m_began;
        return true;
      }
      Sleep(1);
    }
    return false;
  }

  // A command to the probe plugin; the time it took, in ms, or -1 when it failed.
  double Command(ProbeCommandId command, int argument = 0) {
    DWORD_PTR done = 0;
    if (!SendMessageTimeoutA(gBoard->window, kProbeCommand, command, argument, SMTO_NORMAL, 600000, &done) || !done)
      return -1;
    return Ms(gBoard->opTicks);
  }

  // Quits the program and waits for it; the probes stop first. The time probing ended.
  LONGLONG Stop() {
    LONGLONG end = Now();
    if (m_probes != nullptr) {
      Sleep(50);  // the last probes' answers
      end = Now();
      gProbing = 0;
      WaitForSingleObject(m_probes, INFINITE);
      CloseHandle(m_probes);
      m_probes = nullptr;
    }
    if (m_process.hProcess != nullptr) {
      if (gBoard->window != nullptr) Command(kQuit);
      if (WaitForSingleObject(m_process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(m_process.hProcess, 99);
      CloseHandle(m_process.hThread);
      CloseHandle(m_process.hProcess);
      m_process = {};
    }
    return end;
  }

  LONGLONG Began() const { return m_began; }

 private:
  std::string m_program;
  PROCESS_INFORMATION m_process = {};
  HANDLE m_probes = nullptr;
  LONGLONG m_began = 0;
};

bool CopyBeside(const std::string& from, const BenchFolder& folder, const char* name) {
  return CopyFileA((from + "\\" + name).c_str(), folder.File(name).c_str(), FALSE) != 0;
}

// A working folder with conf.xml of the given size and the plugin libraries. Every start
// reads the file as the last one wrote it: the same number of bindings, edited.
std::unique_ptr<BenchFolder> Prepare(const std::string& bin, int bindings) {
  std::unique_ptr<BenchFolder> folder(new BenchFolder(("tambrel-uibench-" + std::to_string(bindings)).c_str(),
                                                      {"conf.xml", "conf.xml.bak", "conf.xml.new", "probe.txt",
                                                       "tambrelplug.dll", "uiprobe.dll", "tambrel.log"}));
  std::string conf = Configuration(bindings);
  FILE* file = fopen(folder->File("conf.xml").c_str(), "wb");
  FILE* probe = fopen(folder->File("probe.txt").c_str(), "w");
  if (file != nullptr) {
    fwrite(conf.data(), 1, conf.size(), file);
    fclose(file);
  }
  if (probe != nullptr) {
    fprintf(probe, "%lu\n", GetCurrentProcessId());
    fclose(probe);
  }
  if (file == nullptr || probe == nullptr || !CopyBeside(bin, *folder, "tambrelplug.dll") ||
      !CopyBeside(bin, *folder, "uiprobe.dll"))
    folder.reset();
  return folder;
}

// One start of the program on the folder's bindings, the edits, hiding and showing, the end;
// with figures == nullptr, only the start and the end.
bool RunOnce(const std::string& bin, const BenchFolder& folder, int bindings, int run, SizeFigures* figures) {
  Sleep(300);  // what the last program left to the system settles first
  Driver driver(bin + "\\tambrel.exe");
  if (!driver.Start(folder.Path())) return false;
  LONGLONG ready;
  if (!driver.WaitReady(&ready)) {
    fprintf(stderr, "%d bindings: the main window did not come up, or the hook never answered\n", bindings);
    return false;
  }
  if (figures == nullptr) return true;
  Phase phases[kPhaseCount];
  phases[kStartUp] = {driver.Began(), driver.Began() + ready};
  figures->startUp.push_back(Ms(ready));

  phases[kEditing].begin = Now();
  LONG rows = gBoard->rows;
  for (int round = 0; round < kRounds; ++round) {
    unsigned seed = static_cast<unsigned>(1000000 + run * 100 + round);
    int row = bindings / 2 + round;
    double save = -1, copy = -1, remove = -1;
    if (driver.Command(kSelectRow, row) >= 0) save = driver.Command(kSaveShortcut, static_cast<int>(seed));
    figures->repaint.push_back(Ms(gBoard->paintTicks));
    if (driver.Command(kSelectRow, row) >= 0) copy = driver.Command(kCopyBinding);
    figures->repaint.push_back(Ms(gBoard->paintTicks));
    if (driver.Command(kSelectRow, row + 1) >= 0) remove = driver.Command(kDeleteBinding);
    figures->repaint.push_back(Ms(gBoard->paintTicks));
    if (save < 0 || copy < 0 || remove < 0) {
      fprintf(stderr, "%d bindings: a command to the probe plugin failed\n", bindings);
      return false;
    }
    figures->save.push_back(save);
    figures->copy.push_back(copy);
    figures->remove.push_back(remove);
    rows = gBoard->rows;
  }
  phases[kEditing].end = Now();
  if (rows != bindings) {  // each round copies one binding and deletes one
    fprintf(stderr, "%d bindings: the list shows %ld rows\n", bindings, static_cast<long>(rows));
    return false;
  }

  // The search: an action text's start typed key by key (every row, then a tenth, a
  // hundredth...), Escape, then the start of a shortcut, and Escape again: each key filters
  // all rows or those the last one left, and the list paints what it shows then.
  char shortcut[11];
  ProbeShortcut(static_cast<unsigned>(bindings / 3), shortcut);
  std::string keys = "tool12\x1b";
  keys += std::string(shortcut, 4) + "\x1b";
  double slowest = 0;
  for (char key : keys) {
    double handled = driver.Command(kSearchKey, static_cast<unsigned char>(key));
    if (handled < 0) {
      fprintf(stderr, "%d bindings: a key for the search box failed\n", bindings);
      return false;
    }
    figures->searchKey.push_back(handled);
    figures->searchPaint.push_back(Ms(gBoard->paintTicks));
    slowest = std::max(slowest, handled + Ms(gBoard->paintTicks));
  }
  figures->slowestKey.push_back(slowest);
  if (gBoard->rows != bindings) {
    fprintf(stderr, "%d bindings: after Escape the list shows %ld rows\n", bindings, static_cast<long>(gBoard->rows));
    return false;
  }

  phases[kShowHide].begin = Now();
  figures->hide.push_back(driver.Command(kHideMain));
  figures->show.push_back(driver.Command(kShowMain));
  phases[kShowHide].end = Now();

  LONGLONG end = driver.Stop();
  AddAway(phases, end, figures);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) kRuns = std::max(1, atoi(argv[1]));
  if (argc > 2) kSizesRun = std::min(std::max(1, atoi(argv[2])), kSizeCount);
  if (argc > 3) kRounds = std::max(1, atoi(argv[3]));
  setvbuf(stdout, nullptr, _IONBF, 0);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  gFrequency = frequency.QuadPart;

  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string bin(self);
  bin.resize(bin.find_last_of('\\'));

  char name[64];
  snprintf(name, sizeof name, "%s%lu", kProbeBoardPrefix, GetCurrentProcessId());
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeBoard), name);
  gBoard = section != nullptr ? static_cast<ProbeBoard*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
  if (gBoard == nullptr) {
    fprintf(stderr, "cannot make the probe section\n");
    return 1;
  }

  HANDLE hookReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD hookThreadId;
  HANDLE hookThread = CreateThread(nullptr, 0, HookThread, hookReady, 0, &hookThreadId);
  WaitForSingleObject(hookReady, INFINITE);

  std::unique_ptr<BenchFolder> folders[kSizeCount];
  for (int s = 0; s < kSizesRun; ++s)
    if (!(folders[s] = Prepare(bin, kSizes[s]))) {
      fprintf(stderr, "cannot prepare the working folders\n");
      return 1;
    }
  // The first start in a Wine session loads and sets up what later ones find ready. Then
  // the sizes take turns, so that a machine busy with other work slows them alike.
  SizeFigures figures[kSizeCount];
  if (!RunOnce(bin, *folders[0], kSizes[0], 0, nullptr)) return 1;
  for (int run = 0; run < kRuns; ++run)
    for (int s = 0; s < kSizesRun; ++s)
      if (!RunOnce(bin, *folders[s], kSizes[s], run, &figures[s])) return 1;

  printf("tambrel.exe with its plugins, autoshow on, in a virtual desktop; %d starts per size, the sizes\n"
         "taking turns, %d of each edit per start; medians. Save, Copy, Delete: the clicks' handling; the\n"
         "repaint each leaves, painted as the message loop paints, apart. Search: every key typed into the\n"
         "search box (an action text's start, Escape, a shortcut's start, Escape), handled, its repaint apart,\n"
         "and the slowest key of a start, both, median of the starts (the worst start). Away from the hook:\n"
         "the longest delay of a probe key sent every %lu ms in a start, median of the starts (the worst).\n\n",
         kRuns, kRounds, kProbeIntervalMs);
  printf("%9s %17s %17s %17s %17s %9s %9s\n", "bindings", "start-up ms (x)", "Save ms (x)", "Copy ms (x)",
         "Delete ms (x)", "hide ms", "show ms");
  auto cell = [](double value, double baseValue) {
    static char text[4][32];
    static int next = 0;
    char* out = text[next++ % 4];
    snprintf(out, sizeof text[0], "%8.1f (%5.2f)", value, baseValue > 0 ? value / baseValue : 0.0);
    return out;
  };
  const SizeFigures& base = figures[0];
  for (int s = 0; s < kSizesRun; ++s) {
    const SizeFigures& f = figures[s];
    printf("%9s %17s %17s %17s %17s %9.1f %9.1f\n", kSizeNames[s], cell(Median(f.startUp), Median(base.startUp)),
           cell(Median(f.save), Median(base.save)), cell(Median(f.copy), Median(base.copy)),
           cell(Median(f.remove), Median(base.remove)), Median(f.hide), Median(f.show));
  }

  printf("\n%9s %17s %12s %17s\n", "bindings", "search key ms (x)", "repaint ms", "slowest key ms");
  for (int s = 0; s < kSizesRun; ++s) {
    const SizeFigures& f = figures[s];
    printf("%9s %17s %12.2f %8.2f (%6.2f)\n", kSizeNames[s], cell(Median(f.searchKey), Median(base.searchKey)),
           Median(f.searchPaint), Median(f.slowestKey), Worst(f.slowestKey));
  }

  printf("\n%9s %11s   %-52s %6s\n", "bindings", "repaint ms", "away from the hook, ms", "probes");
  printf("%9s %11s   %-17s %-17s %-17s %6s\n", "", "after edit", kPhaseNames[0], kPhaseNames[1], kPhaseNames[2], "lost");
  for (int s = 0; s < kSizesRun; ++s) {
    const SizeFigures& f = figures[s];
    printf("%9s %11.1f  ", kSizeNames[s], Median(f.repaint));
    for (int p = 0; p < kPhaseCount; ++p) printf(" %7.1f (%7.1f)", Median(f.away[p]), Worst(f.away[p]));
    printf(" %6d\n", f.lost);
  }

  const SizeFigures& big = figures[kSizesRun - 1];
  double startRatio = Median(big.startUp) / Median(base.startUp);
  double away = 0;
  for (int p = 0; p < kPhaseCount; ++p) away = std::max(away, Median(big.away[p]));
  bool ok1 = startRatio <= 1.3;
  bool ok2 = Median(big.save) <= 50 && Median(big.copy) <= 50 && Median(big.remove) <= 50;
  bool ok3 = away <= 100;
  bool ok4 = Median(big.slowestKey) <= 10;
  printf("\ngoals at %s bindings:\n", kSizeNames[kSizesRun - 1]);
  printf("  start-up to ready within 1.3x of 10's:      %s (%.2f)\n", ok1 ? "met" : "MISSED", startRatio);
  printf("  Save, Copy and Delete at most 50 ms each:   %s\n", ok2 ? "met" : "MISSED");
  printf("  away from the hook at most 100 ms:          %s (%.1f ms)\n", ok3 ? "met" : "MISSED", away);
  printf("  each search key at most 10 ms, painted:     %s (%.2f ms)\n", ok4 ? "met" : "MISSED",
         Median(big.slowestKey));
  PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(hookThread, INFINITE);
  UnmapViewOfFile(gBoard);
  CloseHandle(section);
  return ok1 && ok2 && ok3 && ok4 ? 0 : 2;
}
