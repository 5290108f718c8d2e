// conf.xml with 10,000 bindings changed by another program while Tambrel runs: the reload
// itself (the file read, parsed, compared, the old bindings dropped and the new ones read in
// by the real engine and the built-in plugins), and how long the keys of the desktop waited
// for the keyboard hook meanwhile. The hook is the real one, through hookpad, on this
// program's main thread, which runs a message loop as the program's does; probe keys come
// every 10 ms (KeyProbes.h). The quiet time before a reload is left out: it is a wait, not
// work.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ConfigFile.h"
#include "KeyProbes.h"
#include "Library.h"

namespace {

const int kBindings = 10000;
const int kRounds = 5;

unsigned MakeBuiltInPlugins(Plugin*** plugins) {
  static Plugin* s_plugins[kBuiltInPluginCount];
  CreateBuiltInPlugins(s_plugins);
  *plugins = s_plugins;
  return kBuiltInPluginCount;
}

void Write(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

// The program's loop, for a while: the hook's calls and the messages.
void RunLoop(DWORD ms) {
  LONGLONG until = Now() + static_cast<LONGLONG>(ms) * gFrequency / 1000;
  MSG msg;
  while (Now() < until) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  InitPluginLibrary(GetModuleHandleA(nullptr));
  gMessageBox = PrintBox;
  gLinkedPlugins = {MakeBuiltInPlugins, "tambrelplug.dll", BuiltInShadowingAction, BuiltInShortcutWarning};

  BenchFolder folder("tambrel-reloadbench", {"conf.xml", "conf.xml.bak", "conf.xml.new"});
  std::string path = folder.File("conf.xml");
  Write(path, ExecuteBindings(kBindings));

  // This program's hook goes in first, so that Tambrel's, installed after it, is asked first.
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD hookThreadId;
  HANDLE hookThread = CreateThread(nullptr, 0, ProbeHookThread, ready, 0, &hookThreadId);
  WaitForSingleObject(ready, INFINITE);

  TambrelEngine* engine = new TambrelEngine;
  if (TambrelEngine::Instance() == nullptr || !engine->HookInstalled() ||
      static_cast<int>(engine->Actions().size()) != kBindings) {
    fprintf(stderr, "the engine did not start with its hook and %d bindings\n", kBindings);
    return 1;
  }
  gProbing = 1;
  HANDLE probes = CreateThread(nullptr, 0, ProbeThread, nullptr, 0, nullptr);
  RunLoop(500);

  std::vector<double> reloads, waits;
  int lost = 0;
  bool reloaded = true;
  for (int round = 1; round <= kRounds; ++round) {
    Write(path, ExecuteBindings(kBindings, kBindings / 2, round));  // one binding different
    int firstId = engine->NextActionId();
    LONGLONG began = Now();
    engine->Config().TakeChanges();
    LONGLONG ended = Now();
    RunLoop(300);
    reloads.push_back(Ms(ended - began));
    // From a little before: a probe sent just before the reload began waits for it too.
    waits.push_back(LongestWait(began - gFrequency / 5, ended, Now(), &lost));
    reloaded = reloaded && engine->NextActionId() == firstId + kBindings &&
               static_cast<int>(engine->Actions().size()) == kBindings;
  }
  gProbing = 0;
  WaitForSingleObject(probes, INFINITE);
  delete engine;
  PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(hookThread, INFINITE);
  if (!reloaded) {
    fprintf(stderr, "a change was not loaded\n");
    return 1;
  }

  double worst = *std::max_element(waits.begin(), waits.end());
  printf("conf.xml with %d bindings changed while running, %d reloads; probe keys every %lu ms\n\n", kBindings,
         kRounds, kProbeIntervalMs);
  printf("%-44s %8.1f ms (worst %.1f)\n", "the reload itself, median", Median(reloads),
         *std::max_element(reloads.begin(), reloads.end()));
  printf("%-44s %8.1f ms (worst %.1f, %d probes lost)\n", "longest wait of a key for the hook, median",
         Median(waits), worst, lost);
  bool ok = worst <= 100;
  printf("\ngoals:\n");
  printf("  no key waits more than 100 ms:           %s\n", ok ? "met" : "MISSED");
  return ok ? 0 : 2;
}
