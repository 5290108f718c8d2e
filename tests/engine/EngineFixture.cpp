#include "EngineFixture.h"

#include <sstream>

std::vector<std::string> PluginTrace::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(Text());
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool FakeHooks::failHeap, FakeHooks::failHook;
std::vector<std::string> FakeHooks::calls;

static char gFakeHeap[64];

static HHOOKHEAP __stdcall FakeAllocHookHeap() {
  FakeHooks::calls.push_back(TambrelEngine::Instance() ? "AllocHookHeap(engine set)"
                                                       : "AllocHookHeap(no engine)");
  return FakeHooks::failHeap ? nullptr : reinterpret_cast<HHOOKHEAP>(gFakeHeap);
}
static DWORD __stdcall FakeAllocHook(HHOOKHEAP, int type, HookThunkProc, void*, HMODULE, DWORD) {
  FakeHooks::calls.push_back("AllocHook(" + std::to_string(type) + ")");
  return FakeHooks::failHook ? HOOKPAD_NO_SLOT : 7;
}
static BOOLEAN __stdcall FakeFreeHook(HHOOKHEAP, DWORD slot) {
  FakeHooks::calls.push_back("FreeHook(" + std::to_string(slot) + ")");
  return TRUE;
}
static void __stdcall FakeFreeHookHeap(HHOOKHEAP) {
  FakeHooks::calls.push_back(TambrelEngine::Instance() ? "FreeHookHeap(engine set)"
                                                       : "FreeHookHeap(no engine)");
}

FakeHooks::FakeHooks(bool heap, bool hook) : saved(gHookApi) {
  failHeap = heap;
  failHook = hook;
  calls.clear();
  gHookApi = {FakeAllocHookHeap, FakeAllocHook, FakeFreeHook, FakeFreeHookHeap};
}
FakeHooks::~FakeHooks() { gHookApi = saved; }
