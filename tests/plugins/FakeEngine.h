// An engine for driving plugins directly: records the calls it gets, answers from fields.
#ifndef TAMBREL_TESTS_FAKEENGINE_H
#define TAMBREL_TESTS_FAKEENGINE_H

#include <stdio.h>

#include <string>
#include <vector>

#include "NullEngine.h"

struct FakeEngine : NullEngine {
  std::vector<std::string> calls;
  bool visible[3] = {false, false, false};
  Plugin* enabledBySetActive = nullptr;  // SetActive enables it again, as the real engine does

  void SetToggled(bool on) override { Record("SetToggled", on); }
  bool IsDialogVisible(int which) override { return which >= 0 && which < 3 ? visible[which] : true; }
  bool ShowDialog(int which, bool show) override {
    calls.push_back("ShowDialog(" + std::to_string(which) + "," + std::to_string(show) + ")");
    return show;
  }
  void SetActive(bool active) override {
    Record("SetActive", active);
    if (enabledBySetActive != nullptr) enabledBySetActive->SetEnabled(active);
  }
  KeyInfo* GetKeyByCode(KeyInfo* out, int vk) override {
    out->nameLength = snprintf(out->name, sizeof out->name, "K%d", vk);
    snprintf(out->text, sizeof out->text, "Key number %d", vk);
    out->vk = vk;
    return out;
  }
  void Quit() override { calls.push_back("Quit"); }

  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
  }

 private:
  void Record(const char* name, bool value) { calls.push_back(std::string(name) + "(" + std::to_string(value) + ")"); }
};

// Runs what was posted to this thread's windows.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

#endif
