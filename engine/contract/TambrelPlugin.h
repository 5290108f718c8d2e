// The plugin contract of Tambrel: the one header that plugin libraries include.
//
// A plugin library is a DLL in Tambrel's working directory that exports
//     unsigned __stdcall GetPluginsInfo(Plugin*** plugins);
// which stores the address of an array of plugin objects and returns their count. The
// array and the objects belong to the library and stay valid while it is loaded. It may
// also export
//     int __stdcall GetShadowingAction(int actionId);
// which answers, for a binding whose shortcut one of its plugins holds, the action id of the
// binding that always fires before it can, so that it never fires; 0 when it can fire or is
// not the library's. Two negative answers name no binding: kShadowedByToggleKey (-1), the
// shortcut's key is the Tambrel key, which the toggle key takes in any modifier state;
// kShadowedByTrayKey (-2), the shortcut is one of the tray's hot keys and fires while
// toggled, on the key-down, so that the tray's key, which acts on the release, never does
// then (the binding fires; the tray's key is the one that loses); kShadowedByWindows (-3),
// Windows takes the shortcut before any hook sees it (Ctrl+Alt+Del). And it may export
//     const char* __stdcall GetShortcutWarning(int actionId);
// which answers, for such a binding, what the user should know of its shortcut, in a
// sentence without the final stop ("Windows keeps Ctrl+Alt+Del; this binding never fires",
// "Win+L also locks the computer"), or null; the text stays the library's until its next
// call. The engine asks both outside the hook, for warnings and the debug report.
//
// Life of a plugin object, as the engine drives it:
//  1. registration: CheckVersion(PLUGIN_INTERFACE_VERSION), GetName, then (if accepted,
//     that is when CheckVersion returned a positive value) GetGuid and GetTypes;
//  2. configuration load, for plugins listed in conf.xml: SetEngine(engine),
//     LoadSettings(children of its <plugin> element), SetEngine(0);
//  3. a plugin new to the configuration is asked NeedsConfiguration and maybe Configure;
//     then every plugin gets SetEnabled(false) and SetEngine(engine);
//  4. bindings load: Load on the role interfaces for each binding;
//  5. start-up: SetEnabled(active flag && engine active);
//  6. running: WantsKeyEvents/OnKeyEvent from the keyboard hook, PreTranslateMessage for
//     every queued message, page and list operations from the dialogs, OnToggle,
//     GetDebugInfo. A debug report asks every plugin GetDebugInfo(false, false, 0) before
//     any other text and GetDebugInfo(true, ...) last: every text given in between
//     (GetShortcutText and GetActionText too) is written to debug.txt, so a plugin keeps
//     what must not be on disk out of them then;
//  7. saving: SaveSettings and Save of the role interfaces per binding;
//  8. shut-down: Release, once, after the configuration is written; then the library is
//     unloaded. A plugin rejected by CheckVersion is never released by the engine.
//
// Binary layout: every interface is an object whose first word points to a table of
// operations in exactly the order declared below (no virtual destructors, no overloads).
// On 32-bit x86 the operations are thiscall (object in ecx, arguments right to left, the
// callee pops them); bool is one byte; texts are zero-terminated 8-bit strings in the
// system code page. Texts that a plugin returns stay the plugin's and must stay valid until
// its next call (names and GUID: for its whole life). Records that a plugin asks the engine
// to fill are the caller's memory.
//
// Configuration nodes are libxml2 nodes; their names and contents carry UTF-8. Include
// <libxml/tree.h> to work on them.
//
// PreTranslateMessage sees each message as the host took it from the queue: a Unicode
// window's through the W functions (character messages in UTF-16), any other window's
// through the A functions.
//
// Key events that drive nothing. Keyboard input that a plugin library sends itself carries
// TAMBREL_OWN_INPUT in its dwExtraInfo; input that a process of a lower integrity level
// injected carries LLKHF_LOWER_IL_INJECTED. The hook passes such an event on whatever
// OnKeyEvent answers and whether or not the toggle state is on, and a plugin that is shown
// one (IsInertKeyEvent) only keeps track of what it tracks (the modifiers held): it never
// toggles, fires a binding, acts on a hot key or takes the key as a setting. Otherwise a
// macro that types its own shortcut runs for ever, and a sandboxed program could start
// programs at the user's level. The engine refuses SetToggled and ExecuteAction while a
// plugin is shown such an event. Keys that other programs of the user's level inject are
// keys like any other.
#ifndef TAMBREL_PLUGIN_H
#define TAMBREL_PLUGIN_H

#include <windows.h>

struct _xmlNode;
typedef struct _xmlNode xmlNode;

#define PLUGIN_INTERFACE_VERSION 1

// Type flags returned by Plugin::GetTypes.
#define PLUGIN_ACTIONTYPE    0x01  // offers an ActionType: the action side of bindings
#define PLUGIN_NOTIFYHANDLER 0x02  // offers a NotifyHandler: told every toggle change
#define PLUGIN_TOGGLEHANDLER 0x04  // changes the toggle state itself
#define PLUGIN_GENERAL       0x08  // no role in bindings
#define PLUGIN_SHORTCUTTYPE  0x10  // offers a ShortcutType: the trigger side of bindings
#define PLUGIN_NOTIFIER      0x20  // shows the state to the user

#define PLUGIN_GUID_LENGTH 38

class Plugin;
class Engine;

// One binding as the engine keeps it.
struct ActionRecord {
  int shortcutPluginId;
  int actionPluginId;
};

// The public head of the engine's registry record.
struct PluginInfo {
  char guid[40];     // 38 characters, terminator, one spare byte
  const char* name;  // GetName at registration; owned by the plugin
  int types;         // GetTypes at registration
  Plugin* plugin;
};

// One entry of the engine's key name table.
struct KeyInfo {
  char name[32];   // short name, e.g. "ENTER"
  int nameLength;
  char text[128];  // display text, e.g. "ENTER key"
  int vk;          // virtual-key code
};

// The action side of a binding.
class ActionType {
 public:
  virtual void Load(int actionId, xmlNode* firstChild) = 0;
  virtual void Apply(int actionId) = 0;
  virtual void Save(int actionId, xmlNode* element) = 0;
  virtual void Select(int actionId) = 0;
  virtual void Remove(int actionId) = 0;
  virtual int Execute(int actionId) = 0;
  virtual const char* GetActionText(int actionId) = 0;
  virtual const char* GetName() = 0;
  virtual bool HasPage() = 0;
  virtual void CreatePage(HWND parent, RECT rect) = 0;
  virtual void DestroyPage() = 0;
  virtual void ShowPage(bool show) = 0;
};

// The trigger side of a binding. A trigger fires by calling Engine::ExecuteAction itself.
class ShortcutType {
 public:
  virtual void Load(int actionId, xmlNode* firstChild) = 0;
  virtual void Apply(int actionId) = 0;
  virtual void Save(int actionId, xmlNode* element) = 0;
  virtual void Select(int actionId) = 0;
  virtual void Remove(int actionId) = 0;
  virtual const char* GetShortcutText(int actionId) = 0;
  virtual const char* GetName() = 0;
  virtual bool HasPage() = 0;
  virtual void CreatePage(HWND parent, RECT rect) = 0;
  virtual void DestroyPage() = 0;
  virtual void ShowPage(bool show) = 0;
};

class NotifyHandler {
 public:
  virtual void OnToggle(bool toggled) = 0;
};

// A plugin object.
class Plugin {
 public:
  virtual void Release() = 0;
  virtual const char* GetDebugInfo(bool release, bool forAction, int actionId) = 0;
  virtual const char* GetName() = 0;
  virtual const char* GetGuid() = 0;
  virtual int CheckVersion(int hostVersion) = 0;
  virtual HICON GetIcon() = 0;
  virtual void LoadSettings(xmlNode* firstChild) = 0;
  virtual void SaveSettings(xmlNode* pluginElement) = 0;
  virtual bool HasSettingsPage() = 0;
  virtual void CreateSettingsPage(HWND parent, RECT rect) = 0;
  virtual void DestroySettingsPage() = 0;
  virtual void ShowSettingsPage(bool show) = 0;
  virtual LRESULT PreTranslateMessage(MSG* msg) = 0;
  virtual int GetTypes() = 0;
  virtual bool NeedsConfiguration() = 0;
  virtual bool Configure() = 0;
  virtual bool IsEnabled() = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetEngine(Engine* engine) = 0;
  virtual bool WantsKeyEvents() = 0;
  virtual bool OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) = 0;
  virtual ActionType* GetActionType() = 0;
  virtual ShortcutType* GetShortcutType() = 0;
  virtual NotifyHandler* GetNotifyHandler() = 0;
  virtual void* GetToggleHandler() = 0;
};

// What a plugin may call on the host, through the pointer given by SetEngine.
class Engine {
 public:
  virtual void SetToggled(bool on) = 0;
  virtual bool IsDialogVisible(int which) = 0;     // 0 main, 1 about, 2 settings
  virtual bool ShowDialog(int which, bool show) = 0;
  virtual bool GetAction(int actionId, ActionRecord* out) = 0;  // 0: the first binding
  virtual bool GetPlugin(int pluginId, PluginInfo* out) = 0;    // 0: the first plugin
  virtual int ExecuteAction(int actionId) = 0;
  virtual bool IsActive() = 0;
  virtual void SetActive(bool active) = 0;
  virtual bool ParseBool(const char* text) = 0;
  virtual const char* BoolToText(bool value) = 0;
  virtual KeyInfo* GetKeyByCode(KeyInfo* out, int vk) = 0;
  virtual KeyInfo* GetKeyByName(KeyInfo* out, const char* name) = 0;
  virtual void Quit() = 0;
};

#define TAMBREL_OWN_INPUT 0x54414D42

inline bool IsInertKeyEvent(const KBDLLHOOKSTRUCT* key) {
  return key->dwExtraInfo == TAMBREL_OWN_INPUT || (key->flags & LLKHF_LOWER_IL_INJECTED) != 0;
}

typedef unsigned(__stdcall* GetPluginsInfoProc)(Plugin*** plugins);
typedef int(__stdcall* GetShadowingActionProc)(int actionId);
typedef const char*(__stdcall* GetShortcutWarningProc)(int actionId);
enum { kShadowedByToggleKey = -1, kShadowedByTrayKey = -2, kShadowedByWindows = -3 };

#endif
