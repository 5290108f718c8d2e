// "Keyboard Shortcut Plugin": the "Sequence Shortcut" trigger. While toggled, the letters,
// digits, spaces and hyphens typed are collected; a binding whose shortcut ends the typed
// text runs. A shortcut may hold a program filter: then it applies only while one of those
// programs has the foreground window when the toggle goes on.
#ifndef TAMBRELPLUG_SEQUENCEPLUGIN_H
#define TAMBRELPLUG_SEQUENCEPLUGIN_H

#include <map>
#include <string>
#include <vector>

#include "BuiltInPlugin.h"
#include "CheatSheet.h"
#include "ProgramFilter.h"
#include "RoleParts.h"
#include "ShortcutIndex.h"
#include "ShortcutText.h"
#include "SuffixTrie.h"

class SettingsPage;

class SequencePlugin : public BuiltInPlugin, public ShortcutTypePart, public NotifyHandler, public SheetSource {
 public:
  SequencePlugin();
  ~SequencePlugin() override;

  ShortcutType* GetShortcutType() override { return this; }
  NotifyHandler* GetNotifyHandler() override { return this; }
  bool WantsKeyEvents() override { return true; }
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override;
  LRESULT PreTranslateMessage(MSG* msg) override;

  // ShortcutType
  void Load(int actionId, xmlNode* firstChild) override;
  void Apply(int actionId) override;
  void Save(int actionId, xmlNode* element) override;
  void Select(int actionId) override;
  void Remove(int actionId) override;
  const char* GetShortcutText(int actionId) override;
  bool HasPage() override { return true; }
  void CreatePage(HWND parent, RECT rect) override;
  void DestroyPage() override;
  void ShowPage(bool show) override;

  // NotifyHandler: the typed text starts empty at every toggle change.
  void OnToggle(bool toggled) override;

  // SheetSource: what the typed text can still become.
  size_t SheetRows(SheetRow* rows, size_t max) override;
  bool LeadsOn() override;

  // The binding that always fires before actionId can: on the way to its shortcut, or on
  // it; 0 when actionId can fire (or is no binding of this plugin).
  int ShadowOf(int actionId) override;

  // The program the keys would have gone to: looked up when the toggle goes on. Public for
  // the tests, which set it themselves.
  void SetProgram(const wchar_t* name);

  const char* TypedText() const { return m_typed; }
  int CurrentAction() const { return m_current; }
  HWND PageWindow() const;

 protected:
  const char* TypeName() override { return "Sequence Shortcut"; }
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;

 private:
  struct Shortcut {
    char text[kMaxShortcut + 1];
    size_t length;
    std::vector<int> programs;  // the filter, as numbers of m_programNames; empty for none
  };
  void Store(int actionId, const char* text, size_t length, const std::wstring& programs);
  static Admission AdmissionOf(const void* plugin, int actionId);
  bool Admitted(const Shortcut& shortcut) const;
  void ElectFor(int program);
  void ShortcutChanged(const Shortcut& shortcut);
  void FindShadows();
  int ShadowIn(int actionId, const Shortcut& shortcut);
  int EmptyShortcutShadow(int actionId) const;

  std::map<int, Shortcut> m_shortcuts;
  ProgramNames m_programNames;
  int m_program = 0;  // the program at hand among them; 0 for one that no filter names
  int m_filtered = 0; // how many shortcuts have a filter
  std::string m_text;  // GetShortcutText's answer, when it is more than the shortcut
  SuffixTrie m_trie;
  ShortcutIndex m_index;
  std::map<int, int> m_shadows;  // action id -> the binding that fires first
  bool m_shadowsKnown = true;
  // Since the shadows were last found: the shortcut texts that came or went, or that too
  // many did to list them.
  static const size_t kMaxChangedTexts = 16;
  std::vector<std::string> m_changedTexts;
  bool m_allShadowsStale = false;
  int m_current = 0;
  SettingsPage* m_page = nullptr;  // while this plugin has the page open
  char m_typed[kMaxTyped + 1] = {};
  size_t m_typedLength = 0;
  bool m_toggled = false;
};

#endif
