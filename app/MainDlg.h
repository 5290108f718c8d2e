// The main window: the binding editor and the owner of the about and settings windows.
// Closing it only hides it; destroying it ends the program.
#ifndef TAMBREL_MAINDLG_H
#define TAMBREL_MAINDLG_H

#include "AboutDlg.h"
#include "BindingList.h"
#include "Centre.h"
#include "Dialog.h"
#include "DialogLayout.h"
#include "MainDialog.h"
#include "MessageLoop.h"
#include "PluginImageList.h"
#include "SettingsDlg.h"

class TambrelEngine;

class MainDlg : public Dialog, public MainDialog, public MessageFilter {
 public:
  MainDlg();
  HWND Create();  // modeless, without owner; null when it could not be made

  // MainDialog, for the engine.
  HWND MainWindow() override { return Window(); }
  HWND AboutWindow() override { return m_about.Window(); }
  HWND SettingsWindow() override { return m_settings.Window(); }
  HWND PageParent() override { return m_tabs; }
  RECT GetPageRect() override;
  void SetTab(int tab, const char* text, int image) override;
  void ShowBindingTypes(int shortcutPluginId, int actionPluginId) override;
  void ShowToggled(bool toggled) override;
  void RefreshSettings(bool withPlugin) override { m_settings.RefreshOptions(withPlugin); }
  void ConfigurationReplaced() override;

  // MessageFilter: plugin pages first, then the windows' own keyboard navigation.
  bool PreTranslateMessage(MSG* msg) override;

  // Rebuilds the binding list from the binding table, sorted by trigger text, and selects
  // the row of the binding that was selected (or the row at its place).
  void RefillBindings();
  void FillTypeCombos();
  // The binding a row of the list shows; 0 for none.
  int RowAction(int row) const { return m_bindings.IdAt(row); }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  bool OnInitDialog();
  void OnDestroy();
  bool OnCommand(int id, int code);
  bool OnNotify(NMHDR* header, LRESULT* result);
  void OnTypeChosen(bool shortcut);
  void OnTabSwitched();
  void OnNewBinding();
  void OnSave();
  void EditBindings(void (TambrelEngine::*edit)());
  void PlaceCombosAndPages();
  void SizeCombos(UINT dpi);
  void MakeImages(UINT dpi);
  void OnDpiChanged(UINT dpi, LPARAM suggested);
  void ShowWarning();
  void PlaceWarning();
  void DrawComboItem(DRAWITEMSTRUCT* item);
  int CurrentTab() const;

  DialogLayout m_layout;
  AboutDlg m_about;
  SettingsDlg m_settings;
  HWND m_list = nullptr;
  HWND m_tabs = nullptr;
  HWND m_shortcutCombo = nullptr;
  HWND m_actionCombo = nullptr;
  UniqueImageList m_images;
  ProgramIcons m_icons;
  BindingList m_bindings;
  bool m_warningPosted = false;
  bool m_signsWaiting = false;  // the rows' warning signs wait for the window's first paint
  bool m_signsShown = false;
};

#endif
