// Shared pieces of the engine's tests: the C plugin's call trace and a hookpad that can be
// made to fail.
#ifndef TAMBREL_TESTS_ENGINEFIXTURE_H
#define TAMBREL_TESTS_ENGINEFIXTURE_H

#include <string>
#include <vector>

#include "Engine.h"
#include "HookApi.h"
#include "TestSupport.h"

// Holds a C plugin library of the working folder loaded, so that its trace can still be
// read after the engine has unloaded it.
class PluginTrace {
 public:
  PluginTrace(const TempWorkDir& dir, const char* dll)
      : m_module(LoadLibraryA(dir.File(dll).c_str())) {}
  ~PluginTrace() { FreeLibrary(m_module); }
  std::string Text() const {
    typedef const char* (*TraceProc)();
    TraceProc trace = reinterpret_cast<TraceProc>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "CPluginTrace")));
    return trace != nullptr ? trace() : "";
  }
  std::vector<std::string> Lines() const;
  HMODULE Module() const { return m_module; }

 private:
  HMODULE m_module;
};

// Replaces the engine's hookpad for one test.
struct FakeHooks {
  static bool failHeap, failHook;
  static std::vector<std::string> calls;
  FakeHooks(bool failHeap = false, bool failHook = false);
  ~FakeHooks();
  HookApi saved;
};

#endif
