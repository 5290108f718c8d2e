// An engine that does nothing, for tests that drive plugins directly: each fake overrides
// only what its test looks at.
#ifndef TAMBREL_NULLENGINE_H
#define TAMBREL_NULLENGINE_H

#include "TambrelPlugin.h"

class NullEngine : public Engine {
 public:
  void SetToggled(bool) override {}
  bool IsDialogVisible(int) override { return false; }
  bool ShowDialog(int, bool show) override { return show; }
  bool GetAction(int, ActionRecord*) override { return false; }
  bool GetPlugin(int, PluginInfo*) override { return false; }
  int ExecuteAction(int) override { return 0; }
  bool IsActive() override { return true; }
  void SetActive(bool) override {}
  bool ParseBool(const char*) override { return false; }
  const char* BoolToText(bool value) override { return value ? "yes" : "no"; }
  KeyInfo* GetKeyByCode(KeyInfo* out, int) override { return out; }
  KeyInfo* GetKeyByName(KeyInfo* out, const char*) override { return out; }
  void Quit() override {}
};

#endif
