// conf.xml with 10,000 bindings: the engine's load and save next to libxml2 alone parsing the
// same file into a tree and writing it formatted, in the same run; and the memory the loaded
// bindings take.
//
// As in the hook benchmark, the built-in plugin objects come from the static library and are
// registered as discovery registers them; the engine then reads the file through its own
// configuration reader, exactly as at start-up.
#include <windows.h>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "BenchSupport.h"
#include "ConfigFile.h"
#include "Engine.h"
#include "HookApi.h"
#include "Library.h"
#include "Messages.h"

namespace {

const int kBindings = 10000;
const int kRounds = 5;

DWORD __stdcall FakeHook(HHOOKHEAP, int, HookThunkProc, void*, HMODULE, DWORD) { return 1; }



// Bytes in use in all heaps of the process (msvcrt's malloc and new among them).
size_t HeapBytes() {
  HANDLE heaps[64];
  DWORD count = GetProcessHeaps(64, heaps);
  size_t used = 0;
  for (DWORD h = 0; h < count && h < 64; ++h) {
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heaps[h]);
    while (HeapWalk(heaps[h], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += entry.cbData;
    HeapUnlock(heaps[h]);
  }
  return used;
}

// What writing the file durably costs on its own: the same bytes, written and flushed.
double FlushCost(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  double began = Seconds();
  FlushFileBuffers(file);
  double flushed = Seconds() - began;
  CloseHandle(file);
  DeleteFileA(path.c_str());
  return flushed;
}

// The written file holds every binding once, as loaded: a figure for a save that wrote
// something else would mean nothing.
bool WrittenAsLoaded(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::string text;
  char chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
  fclose(file);
  int commands = 0;
  for (size_t at = text.find("<command>"); at != std::string::npos; at = text.find("<command>", at + 1))
    ++commands;
  return commands == kBindings && text.find("\">K00000</shortcut>") != std::string::npos &&
         text.find("<command>C:\\Program Files\\Tool 9999\\tool.exe</command>") != std::string::npos;
}

void RegisterBuiltInPlugins(TambrelEngine* engine) {
  Plugin** plugins;
  unsigned count = GetBuiltInPlugins(&plugins);
  for (unsigned i = 0; i < count; ++i) {
    engine->Registry().Add(RecordOf(plugins[i]));  // not loaded yet: the file lists none of them
  }
}

}  // namespace

int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  InitPluginLibrary(GetModuleHandleA(nullptr));
  gMessageBox = PrintBox;
  gHookApi = {FakeHeap, FakeHook, FakeFreeHook, FakeFreeHeap};

  BenchFolder folder("tambrel-configbench", {"conf.xml", "conf.xml.bak", "conf.xml.new", "libxml2-only.xml"});
  std::string path = folder.File("conf.xml");
  std::string libxmlPath = folder.File("libxml2-only.xml");
  std::string text = ExecuteBindings(kBindings);

  // libxml2 alone: the file read and parsed into a tree, then the tree written formatted.
  double parseOnly = 1e9, saveOnly = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    double began = Seconds();
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    double parsed = Seconds();
    xmlSaveFormatFile(libxmlPath.c_str(), doc, 1);
    double saved = Seconds();
    xmlFreeDoc(doc);
    if (parsed - began < parseOnly) parseOnly = parsed - began;
    if (saved - parsed < saveOnly) saveOnly = saved - parsed;
  }

  // The engine: its reader over the same file, then its writer (a new file beside the old,
  // flushed, then put in its place). One engine per process: the built-in plugin objects
  // are made once and released with it, so the load is timed once, after libxml2 has warmed
  // the file cache. The file is not in Tambrel's own layout, so the load also works out once
  // what Tambrel would write of it. The save, of one changed option, is timed like libxml2's.
  DeleteFileA(path.c_str());
  TambrelEngine* engine = new TambrelEngine;  // no conf.xml yet
  engine->Keys().clear();
  RegisterBuiltInPlugins(engine);
  FILE* file = fopen(path.c_str(), "wb");
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
  size_t before = HeapBytes();
  double began = Seconds();
  bool loaded = engine->Config().Load();
  double load = Seconds() - began;
  size_t after = HeapBytes();
  if (!loaded || static_cast<int>(engine->Actions().size()) != kBindings) {
    fprintf(stderr, "the engine loaded %d bindings\n", static_cast<int>(engine->Actions().size()));
    return 1;
  }
  double perBinding = static_cast<double>(after - before) / kBindings;
  // A save that changes something writes; one that changes nothing leaves the file alone
  // after comparing it with what it would write.
  double save = 1e9, unchanged = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    engine->Options().autoShow = !engine->Options().autoShow;
    double saveBegan = Seconds();
    engine->Config().Save();
    double saveTime = Seconds() - saveBegan;
    if (saveTime < save) save = saveTime;
    saveBegan = Seconds();
    engine->Config().Save();
    saveTime = Seconds() - saveBegan;
    if (saveTime < unchanged) unchanged = saveTime;
  }
  delete engine;  // writes the file once more, as at shut-down
  if (!WrittenAsLoaded(path)) {
    fprintf(stderr, "the engine's save did not write the bindings as loaded\n");
    return 1;
  }

  printf("conf.xml with %d bindings (%.1f MB); saves and libxml2 alone best of %d\n\n", kBindings, text.size() / 1e6, kRounds);
  printf("%-34s %10s %14s %8s\n", "", "engine", "libxml2 alone", "ratio");
  printf("%-34s %8.1f ms %11.1f ms %8.2f\n", "load (read, parse, bindings)", load * 1e3, parseOnly * 1e3,
         load / parseOnly);
  printf("%-34s %8.1f ms %11.1f ms %8.2f\n", "save (build, write formatted)", save * 1e3, saveOnly * 1e3,
         save / saveOnly);
  printf("%-34s %8.1f ms\n", "save that changes nothing", unchanged * 1e3);
  printf("%-34s %8.0f bytes per binding\n", "memory growth after the load", perBinding);
  double flush = FlushCost(folder.File("flush.tmp"), text);
  printf("%-34s %8.1f ms (of the engine's save; libxml2 alone does not flush)\n", "flushing the file to disk", flush * 1e3);
  bool ok1 = load <= 2 * parseOnly, ok2 = save <= 2 * saveOnly, ok3 = perBinding <= 512;
  printf("\ngoals:\n");
  printf("  load at most 2x libxml2 alone:           %s\n", ok1 ? "met" : "MISSED");
  printf("  save at most 2x libxml2 alone:           %s\n", ok2 ? "met" : "MISSED");
  printf("  at most 512 bytes per binding:           %s\n", ok3 ? "met" : "MISSED");

  return ok1 && ok2 && ok3 ? 0 : 2;
}
