// An engine for driving trigger plugins directly: records the toggles and the bindings they
// run and, as the real engine does, reports toggle changes back to the handler given.
#ifndef TAMBREL_TESTS_TRIGGERENGINE_H
#define TAMBREL_TESTS_TRIGGERENGINE_H

#include <string>
#include <vector>

#include "NullEngine.h"

class TriggerEngine : public NullEngine {
 public:
  std::vector<std::string> calls;
  NotifyHandler* notify = nullptr;

  void SetToggled(bool on) override {
    calls.push_back(on ? "toggle on" : "toggle off");
    if (notify != nullptr) notify->OnToggle(on);
  }
  int ExecuteAction(int actionId) override {
    calls.push_back("execute " + std::to_string(actionId));
    return 0;
  }
};

#endif
