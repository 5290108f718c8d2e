// "Windows Action": log off, restart, shut down, stand by, hibernate, lock, screen saver,
// monitor power. Each binding stores the index of its row in the action table.
#ifndef TAMBRELPLUG_WINDOWSPLUGIN_H
#define TAMBRELPLUG_WINDOWSPLUGIN_H

#include "ActionPlugin.h"

class WindowsPlugin : public ActionPlugin<int> {
 public:
  WindowsPlugin();
  void Load(int actionId, xmlNode* firstChild) override;
  void Save(int actionId, xmlNode* element) override;

  struct Row {
    const char* key;    // in conf.xml
    const char* label;  // in the list and as the action text
  };
  static const Row kRows[11];

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;
  int ReadPage() override;
  void WritePage(const int& index) override;
  void ClearPage() override { WritePage(0); }
  int Run(const int& index) override;
  std::string Describe(const int& index) override { return kRows[index].label; }
};

#endif
