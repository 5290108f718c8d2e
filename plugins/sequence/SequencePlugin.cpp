#include "SequencePlugin.h"

#include <string.h>

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"
#include "SequencePage.h"

SequencePlugin::SequencePlugin()
    : BuiltInPlugin("Keyboard Shortcut Plugin", SEQUENCE_PLUGIN_GUID,
                    PLUGIN_NOTIFYHANDLER | PLUGIN_SHORTCUTTYPE, IDI_KEYBOARD) {}

SequencePlugin::~SequencePlugin() { DestroyPage(); }

// Runs inside the keyboard hook: no allocation, and the matcher's cost does not depend on
// the number of bindings.
bool SequencePlugin::OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) {
  if (!m_toggled || !m_enabled || message != WM_KEYUP) return false;
  char c = KeyCharacter(key->vkCode);
  if (c == 0) return false;
  if (m_typedLength == kMaxTyped) {
    memmove(m_typed, m_typed + 1, kMaxTyped - 1);
    --m_typedLength;
  }
  m_typed[m_typedLength++] = c;
  m_typed[m_typedLength] = '\0';

  int actionId;
  if (!m_trie.Match(m_typed, m_typedLength, &actionId) || m_engine == nullptr) return false;
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
}

LRESULT SequencePlugin::PreTranslateMessage(MSG* msg) {
  return m_page != nullptr && Dialog::IsDialogMessageFor(m_page->Window(), msg) ? 1 : 0;
}

void SequencePlugin::Store(int actionId, const char* text, size_t length) {
  auto it = m_shortcuts.find(actionId);
  if (it != m_shortcuts.end()) {
    m_trie.Remove(it->second.text, it->second.length, actionId);
  } else {
    it = m_shortcuts.emplace(actionId, Shortcut()).first;
  }
  Shortcut& shortcut = it->second;
  shortcut.length = NormalizeShortcut(text, length, shortcut.text, kMaxShortcut);
  m_trie.Add(shortcut.text, shortcut.length, actionId);
}

void SequencePlugin::Load(int actionId, xmlNode* firstChild) {
  std::string text = NodeText(firstChild);  // an empty element has no child: empty text
  Store(actionId, text.data(), text.size());
}

void SequencePlugin::Apply(int actionId) {
  m_current = actionId;
  if (m_page == nullptr) return;  // nothing to read: the shortcut stays as it is
  char text[kMaxShortcut + 1] = {};
  int length = GetDlgItemTextA(m_page->Window(), IDC_SEQUENCE_TEXT, text, sizeof text);
  Store(actionId, text, length > 0 ? static_cast<size_t>(length) : 0);
  Select(actionId);
}

void SequencePlugin::Save(int actionId, xmlNode* element) {
  auto it = m_shortcuts.find(actionId);
  if (it != m_shortcuts.end()) AddContent(element, it->second.text);
}

void SequencePlugin::Select(int actionId) {
  m_current = actionId;
  if (m_page == nullptr) return;
  auto it = actionId != 0 ? m_shortcuts.find(actionId) : m_shortcuts.end();
  SetDlgItemTextA(m_page->Window(), IDC_SEQUENCE_TEXT, it != m_shortcuts.end() ? it->second.text : "");
}

void SequencePlugin::Remove(int actionId) {
  m_current = 0;
  auto it = m_shortcuts.find(actionId);
  if (it == m_shortcuts.end()) return;
  m_trie.Remove(it->second.text, it->second.length, actionId);
  m_shortcuts.erase(it);
}

const char* SequencePlugin::GetShortcutText(int actionId) {
  auto it = m_shortcuts.find(actionId);
  return it != m_shortcuts.end() ? it->second.text : "Unknown";
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
  if (it != m_shortcuts.end()) text += it->second.text;
  text += "\n";
}
