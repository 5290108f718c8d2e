// The main window: the binding editor and the owner of the about and settings windows.
// Closing it only hides it; destroying it ends the program.
#ifndef TAMBREL_MAINDLG_H
#define TAMBREL_MAINDLG_H

#include "AboutDlg.h"
#include "Dialog.h"
#include "DialogLayout.h"
#include "MainDialog.h"
#include "MessageLoop.h"
#include "SettingsDlg.h"

class MainDlg : public Dialog, public MainDialog, public MessageFilter {
 public:
  MainDlg();
  HWND Create();  // modeless, without owner; null when it could not be made

  // MainDialog, for the engine.
  HWND MainWindow() override { return Window(); }
  HWND AboutWindow() override { return m_about.Window(); }
  HWND SettingsWindow() override { return m_settings.Window(); }
  HWND PageParent() override;
  RECT GetPageRect() override;
  void SetTab(int tab, const char* text, int image) override;
  void ShowBindingTypes(int shortcutPluginId, int actionPluginId) override;
  void ShowToggled(bool toggled) override;
  void RefreshSettings(bool withPlugin) override { m_settings.RefreshOptions(withPlugin); }

  // MessageFilter: plugin pages first, then the dialog's own keyboard navigation.
  bool PreTranslateMessage(MSG* msg) override;

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  bool OnInitDialog();
  void OnDestroy();
  void PlaceCombosAndPages();

  DialogLayout m_layout;
  AboutDlg m_about;
  SettingsDlg m_settings;
};

#endif
