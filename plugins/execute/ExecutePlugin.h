// "Execute File": the shell opens a program, document, folder or URL, with optional
// parameters in an optional working directory. With "Switch to it when it is already
// running", a window of the program comes to the front instead when it runs. The command,
// parameters and folder keep every character (a path may name a folder outside the system
// code page); the list and the debug report show them in it.
#ifndef TAMBRELPLUG_EXECUTEPLUGIN_H
#define TAMBRELPLUG_EXECUTEPLUGIN_H

#include <string>

#include "ActionPlugin.h"

struct ExecuteRecord {
  std::wstring command;    // never empty once stored from conf.xml
  std::wstring parameter;
  std::wstring dir;
  bool switchTo = false;  // <switch>yes</switch>, written only when on
};

class ExecutePlugin : public ActionPlugin<ExecuteRecord> {
 public:
  ExecutePlugin();
  void Load(int actionId, xmlNode* firstChild) override;
  void Save(int actionId, xmlNode* element) override;

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;
  ExecuteRecord ReadPage() override;
  void WritePage(const ExecuteRecord& record) override;
  void ClearPage() override { WritePage(ExecuteRecord()); }
  int Run(const ExecuteRecord& record) override;
  std::string Describe(const ExecuteRecord& record) override;
};

#endif
