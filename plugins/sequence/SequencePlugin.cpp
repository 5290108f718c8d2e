#include "SequencePlugin.h"

#include <string.h>

#include <algorithm>
#include <set>

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"
#include "SequencePage.h"
#include "WidePath.h"

SequencePlugin::SequencePlugin()
    : BuiltInPlugin("Keyboard Shortcut Plugin", SEQUENCE_PLUGIN_GUID,
                    PLUGIN_NOTIFYHANDLER | PLUGIN_SHORTCUTTYPE, IDI_KEYBOARD) {
  m_trie.SetAdmission(AdmissionOf, this);
  AddSheetSource(this);
}

SequencePlugin::~SequencePlugin() {
  RemoveSheetSource(this);
  DestroyPage();
}

// Runs inside the keyboard hook: no allocation, and the matcher's cost does not depend on
// the number of bindings.
bool SequencePlugin::OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) {
  if (!m_toggled || !m_enabled || message != WM_KEYUP || IsInertKeyEvent(key)) return false;
  char c = KeyCharacter(key->vkCode);
  if (c == 0) return false;
  if (m_typedLength == kMaxTyped) {
    memmove(m_typed, m_typed + 1, kMaxTyped - 1);
    --m_typedLength;
  }
  m_typed[m_typedLength++] = c;
  m_typed[m_typedLength] = '\0';

  int actionId;
  if (!m_trie.Match(m_typed, m_typedLength, &actionId) || m_engine == nullptr) {
    SheetChanged();
    return false;
  }
  // One key release runs one binding. The engine clears the typed text through OnToggle;
  // it is cleared here too, so that the text never outlives a match.
  m_engine->SetToggled(false);
  memset(m_typed, 0, sizeof m_typed);
  m_typedLength = 0;
  m_engine->ExecuteAction(actionId);
  return false;  // while toggled the engine swallows every key anyway
}

void SequencePlugin::OnToggle(bool toggled) {
  m_toggled = toggled;
  memset(m_typed, 0, sizeof m_typed);
  m_typedLength = 0;
  // The program is looked up once per toggle, and only where some shortcut has a filter:
  // this can be inside the hook.
  if (toggled && m_filtered > 0) {
    wchar_t program[MAX_PATH];
    ForegroundProgram(program, MAX_PATH);
    SetProgram(program);
  }
}

void SequencePlugin::SetProgram(const wchar_t* name) {
  int number = m_programNames.NumberOf(name);
  if (number != m_program) ElectFor(number);
}

// The shortcuts whose filters name the old or the new program choose again.
void SequencePlugin::ElectFor(int program) {
  int old = m_program;
  m_program = program;
  for (const auto& entry : m_shortcuts) {
    const std::vector<int>& programs = entry.second.programs;
    if (std::find(programs.begin(), programs.end(), old) != programs.end() ||
        std::find(programs.begin(), programs.end(), program) != programs.end())
      m_trie.Elect(entry.second.text, entry.second.length);
  }
}

bool SequencePlugin::Admitted(const Shortcut& shortcut) const {
  return shortcut.programs.empty() ||
         std::find(shortcut.programs.begin(), shortcut.programs.end(), m_program) != shortcut.programs.end();
}

Admission SequencePlugin::AdmissionOf(const void* context, int actionId) {
  const SequencePlugin* plugin = static_cast<const SequencePlugin*>(context);
  auto it = plugin->m_shortcuts.find(actionId);
  if (it == plugin->m_shortcuts.end() || it->second.programs.empty()) return kEveryProgram;
  return plugin->Admitted(it->second) ? kThisProgram : kNotThisProgram;
}

LRESULT SequencePlugin::PreTranslateMessage(MSG* msg) {
  return m_page != nullptr && Dialog::IsDialogMessageFor(m_page->Window(), msg) ? 1 : 0;
}

void SequencePlugin::Store(int actionId, const char* text, size_t length, const std::wstring& programs) {
  auto it = m_shortcuts.find(actionId);
  if (it != m_shortcuts.end()) {
    m_trie.Remove(it->second.text, it->second.length, actionId);
    m_index.Remove(actionId);
    if (!it->second.programs.empty()) --m_filtered;
    ShortcutChanged(it->second);
  } else {
    it = m_shortcuts.emplace(actionId, Shortcut()).first;
  }
  Shortcut& shortcut = it->second;
  shortcut.length = NormalizeShortcut(text, length, shortcut.text, kMaxShortcut);
  shortcut.programs = m_programNames.Numbers(programs);  // before the trie asks for it
  if (!shortcut.programs.empty()) ++m_filtered;
  m_trie.Add(shortcut.text, shortcut.length, actionId);
  m_index.Add(actionId, shortcut.text, shortcut.length, &shortcut.programs);
  ShortcutChanged(shortcut);
}

// Only a binding whose shortcut is part of another's can fire on the way to it, so a change
// concerns the bindings holding the old or the new text; an empty or one-character shortcut
// concerns them all (the empty ones' chances hang on every first key).
void SequencePlugin::ShortcutChanged(const Shortcut& shortcut) {
  m_shadowsKnown = false;
  if (m_allShadowsStale) return;
  if (shortcut.length <= 1 || m_changedTexts.size() == kMaxChangedTexts)
    m_allShadowsStale = true;
  else
    m_changedTexts.emplace_back(shortcut.text, shortcut.length);
}

// The filter is an attribute of the shortcut element, which the first child leads to. An
// empty shortcut with a filter is written with an empty comment as that child.
void SequencePlugin::Load(int actionId, xmlNode* firstChild) {
  std::string text = NodeText(firstChild);  // an empty element has no child: empty text
  const xmlNode* element = firstChild != nullptr ? firstChild->parent : nullptr;
  std::wstring programs = element != nullptr ? AttributeWideText(element, "programs") : std::wstring();
  Store(actionId, text.data(), text.size(), programs);
}

void SequencePlugin::Apply(int actionId) {
  m_current = actionId;
  if (m_page == nullptr) return;  // nothing to read: the shortcut stays as it is
  char text[kMaxShortcut + 1] = {};
  int length = GetDlgItemTextA(m_page->Window(), IDC_SEQUENCE_TEXT, text, sizeof text);
  Store(actionId, text, length > 0 ? static_cast<size_t>(length) : 0,
        m_page->ItemWideText(IDC_SEQUENCE_PROGRAMS));
  Select(actionId);
}

void SequencePlugin::Save(int actionId, xmlNode* element) {
  auto it = m_shortcuts.find(actionId);
  if (it == m_shortcuts.end()) return;
  AddContent(element, it->second.text);
  if (it->second.programs.empty()) return;
  xmlSetProp(element, X("programs"), X(WideToUtf8(m_programNames.List(it->second.programs, L";")).c_str()));
  if (it->second.length == 0) xmlAddChild(element, xmlNewDocComment(element->doc, X("")));
}

void SequencePlugin::Select(int actionId) {
  m_current = actionId;
  if (m_page == nullptr) return;
  auto it = actionId != 0 ? m_shortcuts.find(actionId) : m_shortcuts.end();
  bool known = it != m_shortcuts.end();
  SetDlgItemTextA(m_page->Window(), IDC_SEQUENCE_TEXT, known ? it->second.text : "");
  m_page->SetItemWideText(IDC_SEQUENCE_PROGRAMS, known ? m_programNames.List(it->second.programs, L"; ") : L"");
}

void SequencePlugin::Remove(int actionId) {
  m_current = 0;
  auto it = m_shortcuts.find(actionId);
  if (it == m_shortcuts.end()) return;
  m_trie.Remove(it->second.text, it->second.length, actionId);
  m_index.Remove(actionId);
  if (!it->second.programs.empty()) --m_filtered;
  ShortcutChanged(it->second);
  m_shadows.erase(actionId);
  m_shortcuts.erase(it);
}

size_t SequencePlugin::SheetRows(SheetRow* rows, size_t max) {
  if (!m_enabled) return 0;
  return m_index.Completions(m_typed, m_typedLength, m_program, rows, max);
}

bool SequencePlugin::LeadsOn() {
  bool leads = false;
  if (m_enabled) m_index.Completions(m_typed, m_typedLength, m_program, nullptr, 0, &leads);
  return leads;
}

int SequencePlugin::ShadowOf(int actionId) {
  if (!m_shadowsKnown) FindShadows();
  auto it = m_shadows.find(actionId);
  return it != m_shadows.end() ? it->second : 0;
}

// Typing a shortcut from the toggle on is the best chance its binding has: anything typed
// before it only adds endings that can fire first. So in a program the binding can never
// fire when the matcher picks a binding at a key before its last, or another one at its
// last. A binding for every program meets the same bindings everywhere or more: it can fire
// somewhere exactly when it can in a program that no filter names. One with a filter never
// fires when that holds in every program its filter names.
void SequencePlugin::FindShadows() {
  // The bindings to look at again: after a few edits, those holding a changed text.
  std::vector<int> stale;
  for (const auto& entry : m_shortcuts) {
    bool concerned = m_allShadowsStale;
    for (size_t i = 0; i < m_changedTexts.size() && !concerned; ++i)
      concerned = strstr(entry.second.text, m_changedTexts[i].c_str()) != nullptr;
    if (!concerned) continue;
    stale.push_back(entry.first);
    m_shadows.erase(entry.first);
  }
  m_changedTexts.clear();
  m_allShadowsStale = false;

  int current = m_program;
  std::vector<std::vector<int>> byProgram(m_programNames.Count() + 1);
  for (int id : stale)
    for (int program : m_shortcuts[id].programs) byProgram[static_cast<size_t>(program)].push_back(id);
  ElectFor(0);
  for (int id : stale) {
    const Shortcut& shortcut = m_shortcuts[id];
    if (!shortcut.programs.empty()) continue;
    if (int shadow = ShadowIn(id, shortcut)) m_shadows[id] = shadow;
  }
  std::set<int> canFire;
  std::map<int, int> firstShadow;
  for (size_t program = 1; program < byProgram.size(); ++program) {
    ElectFor(static_cast<int>(program));
    for (int id : byProgram[program]) {
      if (canFire.count(id) != 0) continue;
      int shadow = ShadowIn(id, m_shortcuts[id]);
      if (shadow == 0) canFire.insert(id);
      else firstShadow.emplace(id, shadow);
    }
  }
  for (const auto& found : firstShadow)
    if (canFire.count(found.first) == 0) m_shadows[found.first] = found.second;
  ElectFor(current);
  m_shadowsKnown = true;
}

// The binding that fires first on the way to this one in the program at hand, or 0. An
// empty shortcut ends every text: only the first of them can win, at a first key that has
// no binding of its own.
int SequencePlugin::ShadowIn(int actionId, const Shortcut& shortcut) {
  int winner = 0;
  for (size_t typed = 1; typed <= shortcut.length && winner == 0; ++typed) {
    int fired = 0;
    if (m_trie.Match(shortcut.text, typed, &fired) && fired != actionId) winner = fired;
  }
  if (shortcut.length == 0) {
    m_trie.Match("", 0, &winner);
    if (winner == actionId) winner = EmptyShortcutShadow(actionId);
  }
  return winner;
}

// 0 when some first key leaves the empty shortcut actionId to fire; else the binding that
// the first key of the alphabet fires instead.
int SequencePlugin::EmptyShortcutShadow(int actionId) const {
  int first = 0;
  for (int c = 0; c < kAlphabetSize; ++c) {
    char key = AlphabetCharacter(c);
    int fired = 0;
    m_trie.Match(&key, 1, &fired);
    if (fired == actionId) return 0;
    if (c == 0) first = fired;
  }
  return first;
}

// With a filter, the programs follow the shortcut: "NP [notepad.exe]".
const char* SequencePlugin::GetShortcutText(int actionId) {
  auto it = m_shortcuts.find(actionId);
  if (it == m_shortcuts.end()) return "Unknown";
  if (it->second.programs.empty()) return it->second.text;
  m_text = std::string(it->second.text) + " [" + ShownText(m_programNames.List(it->second.programs, L"; ")) + "]";
  return m_text.c_str();
}

void SequencePlugin::CreatePage(HWND parent, RECT rect) {
  if (m_page != nullptr) return;
  SettingsPage& page = SequencePage();
  if (!page.Open(parent, rect)) return;
  m_page = &page;
  if (m_current != 0) Select(m_current);
}

void SequencePlugin::DestroyPage() {
  if (m_page == nullptr) return;
  m_page->Close();
  m_page = nullptr;
}

void SequencePlugin::ShowPage(bool show) {
  if (m_page != nullptr) m_page->Show(show);
}

HWND SequencePlugin::PageWindow() const { return m_page != nullptr ? m_page->Window() : nullptr; }

void SequencePlugin::AppendDebugInfo(std::string& text, bool forAction, int actionId) {
  if (!forAction) {
    text += "\t\tNo additional information\n";
    return;
  }
  auto it = m_shortcuts.find(actionId);  // find: no entry is made for an unknown id
  text += "\t\t";
  if (it != m_shortcuts.end()) text += GetShortcutText(actionId);
  text += "\n";
}
