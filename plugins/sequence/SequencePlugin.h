// "Keyboard Shortcut Plugin": the "Sequence Shortcut" trigger. While toggled, the letters,
// digits, spaces and hyphens typed are collected; a binding whose shortcut ends the typed
// text runs.
#ifndef TAMBRELPLUG_SEQUENCEPLUGIN_H
#define TAMBRELPLUG_SEQUENCEPLUGIN_H

#include "BuiltInPlugin.h"
#include "RoleParts.h"

class SequencePlugin : public BuiltInPlugin, public ShortcutTypePart, public NotifyHandler {
 public:
  SequencePlugin();
  ShortcutType* GetShortcutType() override { return this; }
  NotifyHandler* GetNotifyHandler() override { return this; }
  bool WantsKeyEvents() override { return true; }

  // ShortcutType
  void Load(int, xmlNode*) override {}
  void Apply(int) override {}
  void Save(int, xmlNode*) override {}
  void Select(int) override {}
  void Remove(int) override {}
  const char* GetShortcutText(int) override { return "Unknown"; }
  bool HasPage() override { return true; }
  void CreatePage(HWND, RECT) override {}
  void DestroyPage() override {}
  void ShowPage(bool) override {}

  // NotifyHandler
  void OnToggle(bool toggled) override { m_toggled = toggled; }

 protected:
  const char* TypeName() override { return "Sequence Shortcut"; }

 private:
  bool m_toggled = false;
};

#endif
