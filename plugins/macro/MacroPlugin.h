// "Keyboard Macro": types a line of macro text into the focused window.
#ifndef TAMBRELPLUG_MACROPLUGIN_H
#define TAMBRELPLUG_MACROPLUGIN_H

#include <string>
#include <vector>

#include "ActionPlugin.h"

// The keyboard input records that play a macro: key presses and releases by key code, with
// the modifiers held as the macro's "+^%&@" and parentheses say. Key names are resolved
// with engine.GetKeyByName; a name that gives no key sends nothing.
std::vector<INPUT> BuildMacroEvents(const std::string& macro, Engine& engine);

class MacroPlugin : public ActionPlugin<std::string> {
 public:
  MacroPlugin();
  void Load(int actionId, xmlNode* firstChild) override;
  void Save(int actionId, xmlNode* element) override;

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;
  std::string ReadPage() override;
  void WritePage(const std::string& macro) override;
  void ClearPage() override;
  int Run(const std::string& macro) override;
  std::string Describe(const std::string& macro) override { return macro; }
};

#endif
