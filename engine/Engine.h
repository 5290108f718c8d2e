// The engine: plugin registry, binding table, options, key names, keyboard hook and
// configuration file, and the Engine that plugins call back.
#ifndef TAMBREL_ENGINE_H
#define TAMBREL_ENGINE_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../hookpad/HookPad.h"
#include "PluginRegistry.h"
#include "TambrelPlugin.h"

class ConfigFile;
class MainDialog;
class PlaceholderPlugin;

// The program's version, as the about box and the debug report show it.
const double kProgramVersion = 2.01;

struct EngineOptions {
  bool log = false;         // "log": write the log file
  bool hookActive = true;   // "hookactive": install the keyboard hook
  bool autoActive = true;   // "autoactive": make the engine active at start-up
  bool autoShow = false;    // "autoshow": show the main dialog at start-up
  std::wstring logFile = L"tambrel.log";  // "logfile": relative to the working folder
};

// Plugin objects linked into the running program rather than found as libraries: when set,
// discovery registers them first, under the given file name. The tests drive the built-in
// plugins in-process this way.
struct LinkedPlugins {
  unsigned (*get)(Plugin*** plugins);
  const char* file;
  GetShadowingActionProc shadowingAction;
  GetShortcutWarningProc shortcutWarning;
};
extern LinkedPlugins gLinkedPlugins;

// The engine window's timer that checks for a dropped hook, and how long after a raw key
// event the hook has not seen it looks.
const UINT_PTR kWatchdogTimer = 1;
const UINT kWatchdogGraceMs = 1500;
const DWORD kWatchdogLogMs = 60000;  // at most one log line of the watchdog in this time

// The engine window's timer that waits for conf.xml's folder to be quiet after a change:
// long enough for an editor's save in steps (a temporary file, renames), short enough that
// the change is loaded within a second of the last one.
const UINT_PTR kConfigQuietTimer = 2;
const UINT kConfigQuietMs = 450;

// The engine window's notification icon, shown for a balloon of ShowNotice, and its callback.
const UINT kNoticeIcon = 1;
const UINT kNoticeMessage = WM_APP + 3;

// The engine window: its class, the request of another start of the program to show the main
// window, and its title while the engine shuts down (empty before).
extern const char kEngineWindowClass[];
const UINT kShowMainWindow = WM_APP + 2;
extern const char kShuttingDownTitle[];


class TambrelEngine final : public Engine {
 public:
  // Start-up. Afterwards either Instance() is this started engine, or start-up failed, the
  // engine has run its whole shut-down and Instance() is null; the caller then deletes it.
  // With kHookLater the keyboard hook is left to InstallHook: every key of the desktop waits
  // for the hook's thread, so the program installs it when its windows are made and its
  // message loop is about to run.
  enum HookStart { kHookNow, kHookLater };
  explicit TambrelEngine(HookStart hook = kHookNow);
  ~TambrelEngine();  // shut-down (unless start-up failed and already ran it)
  TambrelEngine(const TambrelEngine&) = delete;
  TambrelEngine& operator=(const TambrelEngine&) = delete;

  static TambrelEngine* Instance() { return s_instance; }

  // Engine, for plugins.
  void SetToggled(bool on) override;
  bool IsDialogVisible(int which) override;
  bool ShowDialog(int which, bool show) override;
  bool GetAction(int actionId, ActionRecord* out) override;
  bool GetPlugin(int pluginId, PluginInfo* out) override;
  int ExecuteAction(int actionId) override;
  bool IsActive() override { return m_active; }
  void SetActive(bool active) override;
  bool ParseBool(const char* text) override;
  const char* BoolToText(bool value) override { return value ? "yes" : "no"; }
  KeyInfo* GetKeyByCode(KeyInfo* out, int vk) override;
  KeyInfo* GetKeyByName(KeyInfo* out, const char* name) override;
  void Quit() override;

  // Log file: one line per entry while option log is on.
  void WriteLog(int level, const char* text);
  void WriteLogFormat(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // debug.txt in the working folder, replaced: options, key names, plugins and bindings,
  // with each plugin's own debug text. Nothing is written when the file can't be opened.
  void WriteDebugReport();

  // Plugins.
  void DiscoverPlugins();
  int FindPluginByGuid(const char* guid, bool create);
  PluginRegistry& Registry() { return m_registry; }
  PluginRecord* FindPlugin(int pluginId) { return m_registry.Find(pluginId); }

  // Keyboard hook.
  void SetHookActive(bool on);
  // The hook of a start-up that left it for later, if the options want one. A failure is
  // reported and, as a failed start-up, leaves nothing to write at shut-down.
  bool InstallHook();
  bool HookInstalled() const { return m_hook != HOOKPAD_NO_SLOT; }

  // Bindings, and their editing in the main dialog.
  void SelectAction(int actionId);
  void ClearSelection() { SelectAction(0); }
  void SetPages(bool shortcut, bool action, int shortcutPluginId, int actionPluginId);
  void ShowPages(bool showShortcut, bool showAction);
  void ApplyAction();
  void CopyAction();
  void RemoveAction();
  void RemoveBinding(int actionId);  // any binding, chosen or not; its plugins are told
  int SelectedAction() const { return m_selectedAction; }
  int PageShortcutPlugin() const { return m_pageShortcutPlugin; }
  int PageActionPlugin() const { return m_pageActionPlugin; }
  std::map<int, ActionRecord>& Actions() { return m_actions; }
  // The role interfaces of a registered plugin; null for an unknown id.
  ShortcutType* ShortcutOf(int pluginId);
  ActionType* ActionOf(int pluginId);
  int NextActionId() const { return m_nextActionId; }
  int AddAction(const ActionRecord& record);  // under the next action id, which it returns
  // Counts the changes of the binding table and of bindings' data that go through the engine
  // (added, applied, copied, removed, all cleared): plugins change a binding's data only in
  // Load, Apply and Remove.
  unsigned BindingEdits() const { return m_bindingEdits; }

  // The binding that always fires before actionId can, so that it never fires, as its
  // shortcut plugin's library tells; kShadowedByToggleKey when the Tambrel key takes its
  // shortcut, kShadowedByTrayKey when it takes a tray hot key's while toggled,
  // kShadowedByWindows when Windows keeps it; 0 when it can fire or nobody can tell.
  int ShadowOf(int actionId);
  // "NP never fires: N fires first", with the bindings' ids after their shortcuts when asked;
  // for a binding on a tray hot key, the tray's key is named as the one that never fires;
  // for one Windows keeps, the library's sentence; empty when nothing is in the way.
  std::string ShadowText(int actionId, bool withIds);
  // What the shortcut plugin's library says of the binding's shortcut ("Win+L also locks the
  // computer"); empty when nothing.
  std::string ShortcutWarning(int actionId);
  // The line a binding gets in the main window, the save box and the debug report: why it
  // never fires, else what Windows does with its shortcut; ids as ShadowText gives them.
  std::string WarningText(int actionId, bool withIds);
  // Whether the list marks the binding's row.
  bool HasWarning(int actionId) { return ShadowOf(actionId) != 0 || !ShortcutWarning(actionId).empty(); }

  // Key names.
  std::vector<KeyInfo>& Keys() { return m_keys; }

  // Pages made for another dialog, or none, are never taken for open ones.
  void SetMainDialog(MainDialog* dialog) {
    m_mainDialog = dialog;
    m_shortcutPageOpen = m_actionPageOpen = false;
  }
  MainDialog* GetMainDialog() { return m_mainDialog; }

  EngineOptions& Options() { return m_options; }
  bool IsToggled() const { return m_toggled; }
  bool IsStarted() const { return m_started; }
  const std::wstring& ConfigPath() const { return m_configPath; }
  ConfigFile& Config() { return *m_config; }
  PlaceholderPlugin* Placeholder() { return m_placeholder.get(); }

  // conf.xml changed under the running program (ConfigSync.cpp). The message loop waits for
  // the folder's change notification and calls OnConfigFolderChanged; once the folder has
  // been quiet for kConfigQuietMs, the configuration file takes the change.
  HANDLE ConfigWatchHandle();
  void OnConfigFolderChanged();
  // Before another file's configuration is read in: every binding goes (its plugins told
  // through Remove), the key names, what missing plugins kept, and the options, whose values
  // before are returned. Plugins do not call the engine meanwhile. between, when given, is
  // called between bindings now and then.
  EngineOptions ClearConfiguration(void (*between)() = nullptr);
  // After it was read: the live state follows it, the windows show it, the log says so.
  void ConfigurationReplaced(const EngineOptions& before);
  // The main window is shown with a binding's page open.
  bool EditingBinding();
  // Tells the user something that needs no answer without taking the focus from anybody:
  // a balloon of a notification icon, and the log. During the shut-down, a box.
  void ShowNotice(const char* text);

 private:
  bool Fail(const char* text);
  void RedrawMainDialog();
  void ShutDown();
  void RegisterPlugins(Plugin** plugins, unsigned count, const std::string& file,
                       GetShadowingActionProc shadowingAction, GetShortcutWarningProc shortcutWarning);
  std::string NamedBinding(int actionId, bool withIds);
  static LRESULT __stdcall HookProc(void* context, HHOOK hook, int code, WPARAM message,
                                    LPARAM event);
  LRESULT OnHookEvent(HHOOK hook, int code, WPARAM message, LPARAM event);
  bool KeyFate(DWORD vk, WPARAM message, bool swallow);
  int QueueAction(int actionId);
  void RunQueuedActions();
  int RunOutsideHook(int actionId);
  void OnRawKeyEvent(DWORD time);
  void OnWatchdogTimer();
  void OnConfigQuiet();
  void OnNoticeEvent(LPARAM event);
  void EndNotice();
  void CreateEngineWindow();
  void RetireEngineWindow();
  void DestroyEngineWindow();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  static TambrelEngine* s_instance;

  std::vector<HMODULE> m_libraries;
  HHOOKHEAP m_hookHeap = nullptr;
  std::vector<HHOOKHEAP> m_spentHookHeaps;  // pages whose slots dropped hooks still hold
  DWORD m_hook = HOOKPAD_NO_SLOT;
  HWND m_window = nullptr;   // message-only: queued actions, show requests, raw input
  bool m_rawInput = false;   // the window receives the desktop's raw keyboard input
  DWORD m_lastHookTime = 0;  // time of the newest key event the hook saw
  int m_rawUnseen = 0;       // raw key events newer than that, waiting for the watchdog timer
  DWORD m_rawUnseenTime = 0;  // the first of them
  bool m_watchdogLogged = false;
  DWORD m_watchdogLogTime = 0;  // of its last log line
  int m_hookDepth = 0;       // > 0 while the hook procedure runs (it can nest)
  int m_inertDepth = 0;      // > 0 while plugins are shown an event that drives nothing
  // Bindings that ExecuteAction queued inside the hook, oldest first: a fixed ring, since the
  // hook allocates nothing.
  static const unsigned kActionQueueSize = 64;
  int m_queuedActions[kActionQueueSize] = {};
  unsigned m_queueFirst = 0, m_queueLength = 0;
  unsigned char m_keyFate[256] = {};  // per virtual key: what became of its key-down
  std::unique_ptr<PlaceholderPlugin> m_placeholder;
  std::wstring m_configPath;  // the working folder's conf.xml
  MainDialog* m_mainDialog = nullptr;
  int m_selectedAction = 0;
  int m_pageActionPlugin = 0;
  int m_pageShortcutPlugin = 0;
  bool m_shortcutPageOpen = false;  // the page plugin of the side made its page in the main dialog
  bool m_actionPageOpen = false;
  int m_nextActionId = 1;
  unsigned m_bindingEdits = 0;
  bool m_toggled = false;
  bool m_started = false;
  bool m_active = false;
  bool m_inSetActive = false;
  bool m_shutDown = false;
  std::unique_ptr<ConfigFile> m_config;
  bool m_noticeShown = false;  // the engine window's notification icon is up for a balloon
  std::vector<KeyInfo> m_keys;
  EngineOptions m_options;
  std::map<int, ActionRecord> m_actions;
  PluginRegistry m_registry;
};

#endif
