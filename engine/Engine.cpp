#include "Engine.h"

#include <stdio.h>
#include <string.h>

#include <libxml/parser.h>

#include "../config/ConfigFile.h"
#include "DllSearch.h"
#include "HookApi.h"
#include "MainDialog.h"
#include "Messages.h"
#include "PeExports.h"
#include "PlaceholderPlugin.h"
#include "UniqueHandle.h"
#include "WidePath.h"

TambrelEngine* TambrelEngine::s_instance = nullptr;

HookApi gHookApi = {AllocHookHeap, AllocHook, FreeHook, FreeHookHeap};
LinkedPlugins gLinkedPlugins = {nullptr, nullptr, nullptr, nullptr};

static const int kWhichMain = 0, kWhichAbout = 1, kWhichSettings = 2;

TambrelEngine::TambrelEngine(HookStart hook)
    : m_placeholder(new PlaceholderPlugin), m_config(new ConfigFile(this)) {
  s_instance = this;
  DiscoverPlugins();

  m_hookHeap = gHookApi.allocHookHeap();
  if (m_hookHeap == nullptr) {
    Fail("Couldn't allocate a hook heap!");
    return;
  }

  m_configPath = CurrentFolder() + L"\\conf.xml";

  if (GetFileAttributesW(m_configPath.c_str()) != INVALID_FILE_ATTRIBUTES || m_config->OfferBackup()) {
    if (!m_config->Load()) {
      Fail("Couldn't load configuration!");
      return;
    }
  } else {
    m_config->LoadDefaults();
  }

  SetActive(m_options.autoActive);
  CreateEngineWindow();

  if (hook == kHookNow && !InstallHook()) {
    ShutDown();
    return;
  }

  m_started = true;
  WriteLog(kLevelInfo, "Tambrel started");
}

TambrelEngine::~TambrelEngine() {
  if (!m_shutDown) ShutDown();
}

bool TambrelEngine::Fail(const char* text) {
  ReportError(text);
  ShutDown();
  return false;
}

void TambrelEngine::ShutDown() {
  m_shutDown = true;
  WriteLog(kLevelInfo, "Tambrel shut down");
  // The hook goes first: no key event may reach a plugin that is being torn down.
  if (m_hook != HOOKPAD_NO_SLOT) gHookApi.freeHook(m_hookHeap, m_hook);
  m_hook = HOOKPAD_NO_SLOT;
  EndNotice();
  RetireEngineWindow();
  if (m_hookHeap != nullptr) gHookApi.freeHookHeap(m_hookHeap);
  m_hookHeap = nullptr;
  for (HHOOKHEAP heap : m_spentHookHeaps) gHookApi.freeHookHeap(heap);
  m_spentHookHeaps.clear();
  if (m_started) m_config->Save();
  for (PluginRecord& record : m_registry) record.plugin->Release();
  for (HMODULE library : m_libraries) FreeLibrary(library);
  m_libraries.clear();
  DestroyEngineWindow();
  // Once, at the end: libxml2's own memory goes only when nothing uses the library any more.
  xmlCleanupParser();
  m_placeholder.reset();
  m_config.reset();
  s_instance = nullptr;
  m_registry = PluginRegistry();
  m_actions.clear();
  m_keys.clear();
}

// --- Plugins ---------------------------------------------------------------------------

void TambrelEngine::DiscoverPlugins() {
  if (gLinkedPlugins.get != nullptr) {
    Plugin** plugins = nullptr;
    unsigned count = gLinkedPlugins.get(&plugins);
    RegisterPlugins(plugins, count, gLinkedPlugins.file != nullptr ? gLinkedPlugins.file : "",
                    gLinkedPlugins.shadowingAction, gLinkedPlugins.shortcutWarning);
  }
  std::wstring folder = CurrentFolder();
  WIN32_FIND_DATAW found;
  UniqueFind search(FindFirstFileW(L"*.dll", &found));
  if (!search) {
    char* message = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, GetLastError(), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<char*>(&message), 0, nullptr);
    ReportWarning(message != nullptr ? message : "");
    LocalFree(message);
    return;
  }
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // The full path: a bare name would let the loader take a same-named file from the
    // program's or the system's folder instead of the one found here. What the library
    // imports is found beside it, never through the current folder or PATH.
    std::wstring path = folder + L"\\" + found.cFileName;
    // Read the exports from the file first, so that a DLL that is no plugin library never
    // runs its entry point in our process.
    if (!FileExportsName(path.c_str(), "GetPluginsInfo")) continue;
    HMODULE library = LoadPluginLibrary(path.c_str());
    if (library == nullptr) continue;
    GetPluginsInfoProc getPluginsInfo =
        reinterpret_cast<GetPluginsInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetPluginsInfo")));
    if (getPluginsInfo == nullptr) {
      FreeLibrary(library);
      continue;
    }
    Plugin** plugins = nullptr;
    unsigned count = getPluginsInfo(&plugins);
    // The name as the lists and the debug report show it.
    RegisterPlugins(plugins, count, ShownText(found.cFileName),
                    reinterpret_cast<GetShadowingActionProc>(
                        reinterpret_cast<void*>(GetProcAddress(library, "GetShadowingAction"))),
                    reinterpret_cast<GetShortcutWarningProc>(
                        reinterpret_cast<void*>(GetProcAddress(library, "GetShortcutWarning"))));
    m_libraries.push_back(library);
  } while (FindNextFileW(search.Get(), &found));
}

void TambrelEngine::RegisterPlugins(Plugin** plugins, unsigned count, const std::string& file,
                                    GetShadowingActionProc shadowingAction, GetShortcutWarningProc shortcutWarning) {
  for (unsigned i = 0; i < count; ++i) {
    PluginRecord record;
    memset(&record, 0, sizeof record);
    strncpy(record.file, file.c_str(), sizeof record.file - 1);
    record.plugin = plugins[i];
    record.shadowingAction = shadowingAction;
    record.shortcutWarning = shortcutWarning;
    record.interfaceVersion = record.plugin->CheckVersion(PLUGIN_INTERFACE_VERSION);
    record.name = record.plugin->GetName();
    if (record.interfaceVersion < 0) {
      ReportWarningFormat(
          "Plugin \"%s\" (%s) is unsupported; Your version of Tambrel requires updating.\n\n"
          "IV was %d; Required is %d.",
          record.name, file.c_str(), PLUGIN_INTERFACE_VERSION, record.interfaceVersion);
      continue;
    }
    if (record.interfaceVersion == 0) {
      ReportWarningFormat(
          "Plugin \"%s\" (%s) is unsupported; Check the vendor of your plugin for a new "
          "version.\n\nIV was %d; Required is %d to %d.",
          record.name, file.c_str(), record.interfaceVersion, PLUGIN_INTERFACE_VERSION,
          PLUGIN_INTERFACE_VERSION);
      continue;
    }
    CopyGuid(record.guid, record.plugin->GetGuid());
    record.types = record.plugin->GetTypes();
    m_registry.Add(record);
  }
}

int TambrelEngine::FindPluginByGuid(const char* guid, bool create) {
  int id = m_registry.FindByGuid(guid);
  if (id != 0) return id;
  ReportWarningFormat("While loading configuration: No plugin with GUID %.38s", guid);
  if (!create) return 0;
  PluginRecord record;
  memset(&record, 0, sizeof record);
  record.plugin = m_placeholder.get();
  record.interfaceVersion = record.plugin->CheckVersion(PLUGIN_INTERFACE_VERSION);
  record.name = record.plugin->GetName();
  CopyGuid(record.guid, guid);
  record.types = record.plugin->GetTypes();
  record.loaded = true;
  return m_registry.Add(record);
}

bool TambrelEngine::GetPlugin(int pluginId, PluginInfo* out) {
  PluginRecord* record = m_registry.Find(pluginId == 0 ? 1 : pluginId);
  if (record == nullptr) return false;
  *out = *record;
  return true;
}

// --- State -----------------------------------------------------------------------------

void TambrelEngine::SetActive(bool active) {
  // A plugin that mirrors its enabled state into ours (the tray) calls back from inside
  // SetEnabled; answering that would switch the engine by a stored per-plugin flag.
  if (m_inSetActive) return;
  m_inSetActive = true;
  m_active = active;
  for (PluginRecord& record : m_registry) record.plugin->SetEnabled(record.active && active);
  m_inSetActive = false;
  if (m_mainDialog != nullptr && m_mainDialog->SettingsWindow() != nullptr)
    m_mainDialog->RefreshSettings(true);
}

void TambrelEngine::SetToggled(bool on) {
  if (m_inertDepth > 0) return;  // KeyboardHook.cpp: such an event drives nothing
  m_toggled = on;
  if (m_mainDialog != nullptr) m_mainDialog->ShowToggled(on);
  for (PluginRecord& record : m_registry) {
    if (!(record.types & PLUGIN_NOTIFYHANDLER) || !record.active) continue;
    if (NotifyHandler* handler = record.plugin->GetNotifyHandler()) handler->OnToggle(on);
  }
}

bool TambrelEngine::ParseBool(const char* text) {
  static const char* const kTrue[] = {"yes", "true", "on", "1"};
  static const char* const kFalse[] = {"no", "false", "off", "0"};
  for (const char* word : kTrue)
    if (_stricmp(text, word) == 0) return true;
  for (const char* word : kFalse)
    if (_stricmp(text, word) == 0) return false;
  ReportInfoFormat("Unrecognized boolean value %s", text);
  return false;
}

// --- Dialogs ---------------------------------------------------------------------------

static HWND DialogWindow(MainDialog* dialog, int which) {
  if (dialog == nullptr) return nullptr;
  switch (which) {
    case kWhichMain: return dialog->MainWindow();
    case kWhichAbout: return dialog->AboutWindow();
    case kWhichSettings: return dialog->SettingsWindow();
  }
  return nullptr;
}

bool TambrelEngine::IsDialogVisible(int which) {
  if (which < kWhichMain || which > kWhichSettings) return true;
  HWND window = DialogWindow(m_mainDialog, which);
  return window != nullptr && IsWindowVisible(window);
}

bool TambrelEngine::ShowDialog(int which, bool show) {
  if (which < kWhichMain || which > kWhichSettings) return show;
  HWND window = DialogWindow(m_mainDialog, which);
  if (window != nullptr) {
    if (show) {
      ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
    } else {
      ShowWindow(window, SW_HIDE);
    }
  }
  if (!show && which != kWhichAbout) return m_config->Save();
  return show;
}

void TambrelEngine::Quit() {
  HWND window = DialogWindow(m_mainDialog, kWhichMain);
  // Destroying the main dialog ends the message loop; without one, end it directly.
  if (window != nullptr)
    DestroyWindow(window);
  else
    PostQuitMessage(0);
}

// --- Bindings --------------------------------------------------------------------------

int TambrelEngine::AddAction(const ActionRecord& record) {
  ++m_bindingEdits;
  int id = m_nextActionId++;
  m_actions[id] = record;
  return id;
}

bool TambrelEngine::GetAction(int actionId, ActionRecord* out) {
  auto it = actionId == 0 ? m_actions.begin() : m_actions.find(actionId);
  if (it == m_actions.end()) return false;
  *out = it->second;
  return true;
}

int TambrelEngine::ExecuteAction(int actionId) {
  if (m_inertDepth > 0) return 0;
  if (m_hookDepth > 0) return QueueAction(actionId);  // KeyboardHook.cpp says why
  auto it = m_actions.find(actionId);
  if (it == m_actions.end()) return 0;
  PluginRecord* record = m_registry.Find(it->second.actionPluginId);
  if (record == nullptr) return 0;
  ActionType* action = record->plugin->GetActionType();
  if (action == nullptr) return 0;
  return action->Execute(actionId);
}
