// conf.xml changed under the running program: the engine's side. The configuration file
// decides what a change means (ConfigFile::TakeChanges); the engine waits for the folder to
// be quiet, and empties and refills itself around a file that is read in.
#include "../config/ConfigFile.h"
#include "Engine.h"
#include "MainDialog.h"
#include "Messages.h"
#include "PlaceholderPlugin.h"

HANDLE TambrelEngine::ConfigWatchHandle() {
  return m_started && !m_shutDown ? m_config->WatchHandle() : INVALID_HANDLE_VALUE;
}

// Editors save in steps (a temporary file, renames, the log): each change starts the quiet
// time anew. The timer runs only after a change, so an idle program still never wakes.
void TambrelEngine::OnConfigFolderChanged() {
  m_config->Rearm();
  if (m_window != nullptr) SetTimer(m_window, kConfigQuietTimer, kConfigQuietMs, nullptr);
}

void TambrelEngine::OnConfigQuiet() {
  KillTimer(m_window, kConfigQuietTimer);
  if (m_started && !m_shutDown) m_config->TakeChanges();
}

EngineOptions TambrelEngine::ClearConfiguration(void (*between)()) {
  // Plugins get the engine back once the file is read: the tray mirrors its enabled state
  // into the engine's, and being disabled for the load must not switch the engine off.
  for (PluginRecord& record : m_registry) record.plugin->SetEngine(nullptr);
  int removed = 0;
  for (auto& binding : m_actions) {
    if (between != nullptr && ++removed % 500 == 0) between();
    if (ActionType* type = ActionOf(binding.second.actionPluginId)) type->Remove(binding.first);
    if (ShortcutType* type = ShortcutOf(binding.second.shortcutPluginId)) type->Remove(binding.first);
  }
  m_actions.clear();
  ++m_bindingEdits;
  m_selectedAction = 0;
  m_placeholder->ForgetAll();
  m_keys.clear();
  EngineOptions before = m_options;
  m_options = EngineOptions();
  return before;
}

void TambrelEngine::ConfigurationReplaced(const EngineOptions& before) {
  // autoactive and autoshow are for the next start; the hook follows its option when the
  // file changed it, and otherwise stays in.
  if (m_options.hookActive != before.hookActive) {
    bool wanted = m_options.hookActive;
    SetHookActive(wanted);
  }
  SetActive(m_active);
  if (m_mainDialog != nullptr)
    m_mainDialog->ConfigurationReplaced();
  else
    SelectAction(0);
  WriteLogFormat(kLevelInfo, "conf.xml was changed by another program and is loaded again: %u bindings",
                 static_cast<unsigned>(m_actions.size()));
}

bool TambrelEngine::EditingBinding() {
  HWND main = m_mainDialog != nullptr ? m_mainDialog->MainWindow() : nullptr;
  return main != nullptr && IsWindowVisible(main) && (m_shortcutPageOpen || m_actionPageOpen);
}
