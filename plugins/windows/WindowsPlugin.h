// "Windows Action": log off, restart, shut down, stand by, hibernate, lock, screen saver,
// monitor power. Each binding stores the index of its row in the action table.
#ifndef TAMBRELPLUG_WINDOWSPLUGIN_H
#define TAMBRELPLUG_WINDOWSPLUGIN_H

#include "ActionPlugin.h"

// The operations that end or suspend the session. Tests put a fake in their place.
class SystemOperations {
 public:
  virtual void ExitSession(UINT flags, DWORD reason) = 0;
  virtual void SetPowerState(bool suspend, bool force) = 0;
  virtual void LockWorkstation() = 0;

 protected:
  ~SystemOperations() = default;
};

// The ones that call the system.
SystemOperations& RealSystemOperations();

class WindowsPlugin : public ActionPlugin<int> {
 public:
  WindowsPlugin();
  // The operations the plugin uses from now on; null puts the real ones back.
  void SetSystemOperations(SystemOperations* operations) {
    m_system = operations != nullptr ? operations : &RealSystemOperations();
  }
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

 private:
  SystemOperations* m_system;
};

#endif
