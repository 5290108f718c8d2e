// What the engine needs of the main dialog. The dialog implements it and hands itself to
// the engine with SetMainDialog when it initialises, so the engine knows nothing of app/.
#ifndef TAMBREL_MAINDIALOG_H
#define TAMBREL_MAINDIALOG_H

#include <windows.h>

class MainDialog {
 public:
  virtual HWND MainWindow() = 0;
  virtual HWND AboutWindow() = 0;
  virtual HWND SettingsWindow() = 0;
  // The tab control that hosts the plugin pages, and the pages' rectangle inside it.
  virtual HWND PageParent() = 0;
  virtual RECT GetPageRect() = 0;
  // Tab 0 (shortcut) or 1 (action): its text and its image (a plugin id; 0 = the program's).
  virtual void SetTab(int tab, const char* text, int image) = 0;
  virtual void ShowBindingTypes(int shortcutPluginId, int actionPluginId) = 0;
  virtual void ShowToggled(bool toggled) = 0;
  virtual void RefreshSettings(bool withPlugin) = 0;
  // The engine read another file's bindings and plugins in: every list shows them anew.
  virtual void ConfigurationReplaced() = 0;
};

#endif
