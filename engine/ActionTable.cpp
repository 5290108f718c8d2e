// The binding table and its editing: the main dialog selects, applies, copies and removes
// bindings; each plugin keeps its own side of the data under the same action id.
#include "Engine.h"
#include "MainDialog.h"

ShortcutType* TambrelEngine::ShortcutOf(int pluginId) {
  PluginRecord* record = m_registry.Find(pluginId);
  return record != nullptr ? record->plugin->GetShortcutType() : nullptr;
}

ActionType* TambrelEngine::ActionOf(int pluginId) {
  PluginRecord* record = m_registry.Find(pluginId);
  return record != nullptr ? record->plugin->GetActionType() : nullptr;
}

// Invalidated, not painted at once: the message loop paints the window once after the whole
// edit, and answers the keyboard hook before it paints. Painting the whole window on the
// spot, as often as a selection changes pages, kept every key of the desktop waiting.
void TambrelEngine::RedrawMainDialog() {
  if (m_mainDialog != nullptr && m_mainDialog->MainWindow() != nullptr)
    RedrawWindow(m_mainDialog->MainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TambrelEngine::SelectAction(int actionId) {
  m_selectedAction = actionId;
  auto it = m_actions.find(actionId);
  if (actionId != 0 && it != m_actions.end())
    SetPages(true, true, it->second.shortcutPluginId, it->second.actionPluginId);
  else
    SetPages(true, true, 0, 0);
  if (m_mainDialog != nullptr)
    m_mainDialog->ShowBindingTypes(m_pageShortcutPlugin, m_pageActionPlugin);
}

void TambrelEngine::SetPages(bool shortcut, bool action, int shortcutPluginId,
                             int actionPluginId) {
  // Without a main dialog there is nowhere to put a page: the plugins are still told which
  // binding is selected, but no page window is made.
  bool pages = m_mainDialog != nullptr && m_mainDialog->PageParent() != nullptr;
  // A side whose plugin stays keeps its open page, and Select shows the selected binding in
  // it, as the contract has it. Making a page makes a dialog of controls; every selection,
  // each Save, Copy and Delete among them, made both pages anew.
  bool newShortcut = shortcut && !(pages && m_shortcutPageOpen && shortcutPluginId == m_pageShortcutPlugin);
  bool newAction = action && !(pages && m_actionPageOpen && actionPluginId == m_pageActionPlugin);
  if (pages && (newShortcut || newAction)) {
    if (newShortcut && m_pageShortcutPlugin != 0)
      if (ShortcutType* type = ShortcutOf(m_pageShortcutPlugin)) type->DestroyPage();
    if (newAction && m_pageActionPlugin != 0)
      if (ActionType* type = ActionOf(m_pageActionPlugin)) type->DestroyPage();
    RedrawMainDialog();
  }
  if (shortcut) m_pageShortcutPlugin = shortcutPluginId;
  if (action) m_pageActionPlugin = actionPluginId;

  if (shortcut) {
    ShortcutType* type = m_pageShortcutPlugin != 0 ? ShortcutOf(m_pageShortcutPlugin) : nullptr;
    if (newShortcut) m_shortcutPageOpen = false;
    if (type != nullptr) {
      if (pages && newShortcut) {
        type->CreatePage(m_mainDialog->PageParent(), m_mainDialog->GetPageRect());
        m_shortcutPageOpen = true;
      }
      type->Select(m_selectedAction);
      if (m_mainDialog != nullptr) m_mainDialog->SetTab(0, type->GetName(), m_pageShortcutPlugin);
    } else if (m_mainDialog != nullptr) {
      m_mainDialog->SetTab(0, "Shortcut", 0);
    }
  }
  if (action) {
    ActionType* type = m_pageActionPlugin != 0 ? ActionOf(m_pageActionPlugin) : nullptr;
    if (newAction) m_actionPageOpen = false;
    if (type != nullptr) {
      if (pages && newAction) {
        type->CreatePage(m_mainDialog->PageParent(), m_mainDialog->GetPageRect());
        m_actionPageOpen = true;
      }
      type->Select(m_selectedAction);
      if (m_mainDialog != nullptr) m_mainDialog->SetTab(1, type->GetName(), m_pageActionPlugin);
    } else if (m_mainDialog != nullptr) {
      m_mainDialog->SetTab(1, "Action", 0);
    }
  }
  if (pages && (newShortcut || newAction)) RedrawMainDialog();
}

void TambrelEngine::ShowPages(bool showShortcut, bool showAction) {
  if (m_mainDialog == nullptr || m_mainDialog->PageParent() == nullptr) return;
  if (m_pageShortcutPlugin != 0)
    if (ShortcutType* type = ShortcutOf(m_pageShortcutPlugin)) type->ShowPage(showShortcut);
  if (m_pageActionPlugin != 0)
    if (ActionType* type = ActionOf(m_pageActionPlugin)) type->ShowPage(showAction);
  RedrawMainDialog();
}

void TambrelEngine::ApplyAction() {
  if (m_pageActionPlugin == 0 || m_pageShortcutPlugin == 0) return;
  ++m_bindingEdits;
  int id = m_selectedAction;
  bool created = false;
  if (id == 0 || m_actions.find(id) == m_actions.end()) {
    id = m_nextActionId++;
    m_actions[id] = ActionRecord{0, 0};
    created = true;
  }
  ActionRecord& entry = m_actions[id];
  // A side moved to another plugin leaves no data behind in the old one, where a stale
  // shortcut could still fire (what a missing plugin kept included); the other side keeps
  // its own.
  if (entry.actionPluginId != m_pageActionPlugin)
    if (ActionType* old = entry.actionPluginId != 0 ? ActionOf(entry.actionPluginId) : nullptr) old->Remove(id);
  if (entry.shortcutPluginId != m_pageShortcutPlugin)
    if (ShortcutType* old = entry.shortcutPluginId != 0 ? ShortcutOf(entry.shortcutPluginId) : nullptr) old->Remove(id);
  entry = ActionRecord{m_pageShortcutPlugin, m_pageActionPlugin};
  if (ActionType* type = ActionOf(entry.actionPluginId)) type->Apply(id);
  if (ShortcutType* type = ShortcutOf(entry.shortcutPluginId)) type->Apply(id);
  if (created) SelectAction(id);
}

void TambrelEngine::CopyAction() {
  auto it = m_actions.find(m_selectedAction);
  if (m_selectedAction == 0 || it == m_actions.end()) return;
  ActionRecord entry = it->second;
  // Each plugin copies through its page: the pages must be this binding's own.
  if (m_pageShortcutPlugin != entry.shortcutPluginId || m_pageActionPlugin != entry.actionPluginId)
    SetPages(true, true, entry.shortcutPluginId, entry.actionPluginId);
  ++m_bindingEdits;
  int copy = m_nextActionId++;
  m_actions[copy] = entry;
  if (ActionType* type = ActionOf(entry.actionPluginId)) {
    type->Select(m_selectedAction);
    type->Apply(copy);
  }
  if (ShortcutType* type = ShortcutOf(entry.shortcutPluginId)) {
    type->Select(m_selectedAction);
    type->Apply(copy);
  }
  SelectAction(copy);
}

void TambrelEngine::RemoveAction() {
  if (m_selectedAction != 0) RemoveBinding(m_selectedAction);
}

void TambrelEngine::RemoveBinding(int actionId) {
  auto it = m_actions.find(actionId);
  if (it == m_actions.end()) return;
  ++m_bindingEdits;
  if (ActionType* type = ActionOf(it->second.actionPluginId)) type->Remove(actionId);
  if (ShortcutType* type = ShortcutOf(it->second.shortcutPluginId)) type->Remove(actionId);
  m_actions.erase(it);
}

int TambrelEngine::ShadowOf(int actionId) {
  auto it = m_actions.find(actionId);
  if (it == m_actions.end()) return 0;
  PluginRecord* record = m_registry.Find(it->second.shortcutPluginId);
  if (record == nullptr || record->shadowingAction == nullptr) return 0;
  int shadow = record->shadowingAction(actionId);
  if (shadow == kShadowedByToggleKey || shadow == kShadowedByTrayKey || shadow == kShadowedByWindows) return shadow;
  return m_actions.count(shadow) != 0 ? shadow : 0;
}

// The shortcut text of a binding, with its id when asked: "NP (#3)".
std::string TambrelEngine::NamedBinding(int actionId, bool withIds) {
  auto it = m_actions.find(actionId);
  ShortcutType* type = it != m_actions.end() ? ShortcutOf(it->second.shortcutPluginId) : nullptr;
  const char* shown = type != nullptr ? type->GetShortcutText(actionId) : nullptr;
  std::string text = shown != nullptr ? shown : "";
  if (withIds) text += " (#" + std::to_string(actionId) + ")";
  return text;
}

std::string TambrelEngine::ShadowText(int actionId, bool withIds) {
  int shadow = ShadowOf(actionId);
  auto it = m_actions.find(actionId);
  if (shadow == 0 || it == m_actions.end() || ShortcutOf(it->second.shortcutPluginId) == nullptr) return std::string();
  // The binding fires on the key-down, ending the toggle, and the tray's key, which acts on
  // the release while toggled, never does: it is the one that loses.
  if (shadow == kShadowedByTrayKey)
    return NamedBinding(actionId, withIds) + " fires first: the tray icon's hot key never fires while toggled";
  // The library says how Windows keeps it; the report names the binding first.
  if (shadow == kShadowedByWindows) {
    std::string said = ShortcutWarning(actionId);
    if (said.empty()) return NamedBinding(actionId, withIds) + " never fires: Windows keeps it";
    return withIds ? NamedBinding(actionId, true) + ": " + said : said;
  }
  std::string text = NamedBinding(actionId, withIds) + " never fires: ";
  if (shadow == kShadowedByToggleKey) return text + "it is the Tambrel key";
  return text + NamedBinding(shadow, withIds) + " fires first";
}

std::string TambrelEngine::ShortcutWarning(int actionId) {
  auto it = m_actions.find(actionId);
  if (it == m_actions.end()) return std::string();
  PluginRecord* record = m_registry.Find(it->second.shortcutPluginId);
  if (record == nullptr || record->shortcutWarning == nullptr) return std::string();
  const char* said = record->shortcutWarning(actionId);
  return said != nullptr ? said : "";
}

std::string TambrelEngine::WarningText(int actionId, bool withIds) {
  std::string text = ShadowText(actionId, withIds);
  if (!text.empty()) return text;
  std::string said = ShortcutWarning(actionId);
  if (said.empty() || !withIds) return said;
  return NamedBinding(actionId, true) + ": " + said;
}
