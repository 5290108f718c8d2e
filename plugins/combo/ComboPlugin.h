// "Keyboard Combination Plugin": the "Key Combination" trigger. A binding fires on the
// key-down of its key while exactly its modifiers (Ctrl, Alt, Shift, Win) are held, without
// the toggle, and, when the user wants, also while toggled. The key is kept from the focused
// program; the modifiers are not, so none stays down there.
#ifndef TAMBRELPLUG_COMBOPLUGIN_H
#define TAMBRELPLUG_COMBOPLUGIN_H

#include <map>
#include <string>
#include <vector>

#include "AltGr.h"
#include "BuiltInPlugin.h"
#include "CheatSheet.h"
#include "ComboTable.h"
#include "ProgramFilter.h"
#include "RoleParts.h"

class ComboSettingsPage;

class ComboPlugin : public BuiltInPlugin, public ShortcutTypePart, public NotifyHandler, public SheetSource {
 public:
  ComboPlugin();
  ~ComboPlugin() override;

  ShortcutType* GetShortcutType() override { return this; }
  NotifyHandler* GetNotifyHandler() override { return this; }
  void SetEnabled(bool enabled) override;
  bool WantsKeyEvents() override;
  bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) override;
  LRESULT PreTranslateMessage(MSG* msg) override;
  void LoadSettings(xmlNode* firstChild) override;
  void SaveSettings(xmlNode* pluginElement) override;
  bool HasSettingsPage() override { return true; }
  void CreateSettingsPage(HWND parent, RECT rect) override;
  void DestroySettingsPage() override;

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

  void OnToggle(bool toggled) override;
  size_t SheetRows(SheetRow* rows, size_t max) override;

  // Another binding of the same combination that always fires instead; -1 when the toggle
  // key takes the key; -2 when a tray key takes it while toggled; -3 when Windows keeps the
  // combination; 0 when it can fire.
  int ShadowOf(int actionId) override;
  // What Windows does with the binding's combination: it keeps it, acts on it too, or loses
  // it to the binding; null when Windows binds nothing there.
  const char* ShortcutWarning(int actionId) override;

  bool WhileToggled() const { return m_whileToggled; }
  void SetWhileToggled(bool on) { m_whileToggled = on; }
  // "Ctrl+Alt+T"; empty for no combination.
  std::string ComboText(int vk, int modifiers);
  // "On German, Ctrl+Alt+Q types @", for a combination that types a character on one of the
  // user's keyboard layouts; empty otherwise.
  std::string LayoutWarning(int vk, int modifiers);
  // For the tests: the layouts to warn about instead of the installed ones; null: those.
  void SetLayouts(const KeyboardLayouts* layouts) { m_layouts = layouts; }
  // For the tests: where the modifier state (while the hook saw a modifier go down) and the
  // foreground program come from.
  void SetModifierReader(int (*reader)()) { m_readModifiers = reader; }
  // Where the mask key goes; SendInput unless a test watches it.
  void SetInputSender(UINT(WINAPI* send)(UINT, LPINPUT, int)) { m_sendInput = send; }
  void SetProgram(const wchar_t* name);  // a fixed program instead of the foreground one; null: the real one
  // Whether a binding holds this combination (vk 0: none); for the tests.
  bool Find(int actionId, int* vk, int* modifiers) const;

 protected:
  const char* TypeName() override { return "Key Combination"; }
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;

 private:
  struct Combo {
    int vk = 0, modifiers = 0;
    std::vector<int> programs;  // numbers in m_programNames; empty for every program
    std::string text;           // ComboText, for the cheat sheet
  };
  void Store(int actionId, int vk, int modifiers, const std::wstring& programs);
  int ProgramNow() const;
  bool Capture(const KBDLLHOOKSTRUCT* key, UINT message);
  void MaskMenuKey(unsigned vk);
  bool AltGrHeld(int modifiers);
  bool TakenByToggleKey(unsigned vk, unsigned scanCode) const;

  std::map<int, Combo> m_combos;
  ComboTable m_table;
  ProgramNames m_programNames;
  std::wstring m_fixedProgram;
  bool m_programFixed = false;
  int (*m_readModifiers)();
  UINT(WINAPI* m_sendInput)(UINT, LPINPUT, int) = SendInput;
  bool m_whileToggled = false;
  bool m_toggled = false;
  int m_sheetProgram = 0;  // the program the notice's rows are for
  bool m_sheetProgramKnown = false;
  unsigned m_heldModifiers = 0;  // bits of kSidedModifiers that the hook saw go down
  unsigned m_heldKey = 0;        // the key whose combination fired, until its release
  bool m_maskPending = false;    // a combination fired, or was captured, with Alt or Win held
  bool m_altGrDown = false;      // AltGr's made-up Ctrl went down and not up yet
  const KeyboardLayouts* m_layouts = nullptr;
  int m_current = 0;
  bool m_pageOpen = false;
  std::string m_text;  // GetShortcutText's answer
  std::string m_warning;  // ShortcutWarning's answer
  ComboSettingsPage* m_settingsPage = nullptr;
};

#endif
