// The exports of testplugins.dll, reached through the copy in a test's working folder.
#ifndef TAMBREL_TESTPLUGINSLIB_H
#define TAMBREL_TESTPLUGINSLIB_H

#include <windows.h>

#include <string>

#include "TestSupport.h"

class TestPluginsLib {
 public:
  explicit TestPluginsLib(const TempWorkDir& dir)
      : m_module(LoadLibraryA(dir.File("testplugins.dll").c_str())) {}
  ~TestPluginsLib() { FreeLibrary(m_module); }
  std::string Trace() const { return Call<const char* (*)()>("TestPluginsTrace")(); }
  void ClearTrace() const { Call<void (*)()>("TestPluginsClearTrace")(); }
  void SetPage(const char* shortcut, const char* action) const {
    Call<void (*)(const char*, const char*)>("TestPluginsSetPage")(shortcut, action);
  }
  void SetSetting(const char* value) const { Call<void (*)(const char*)>("TestPluginsSetSetting")(value); }

 private:
  template <typename F>
  F Call(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
  }
  HMODULE m_module;
};

#endif
