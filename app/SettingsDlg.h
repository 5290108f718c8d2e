// The settings window: the engine's switches and the plugins. Every change takes effect at
// once; closing it only hides it.
#ifndef TAMBREL_SETTINGSDLG_H
#define TAMBREL_SETTINGSDLG_H

#include <windows.h>

#include <commctrl.h>

#include "Centre.h"
#include "ContainedWindow.h"
#include "Dialog.h"
#include "DialogLayout.h"
#include "UniqueHandle.h"

class Plugin;
class TambrelEngine;

class SettingsDlg : public Dialog, private ContainedWindow::Owner {
 public:
  SettingsDlg();
  // Brings the switches up to date with the engine; with withPlugin also opens the selected
  // plugin's page again (a plugin ignores the call while its page is open).
  void RefreshOptions(bool withPlugin);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  enum { kOverlayMap = 1 };

  bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool OnContainedMessage(int mapId, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* result) override;
  void OnInitDialog();
  void FillPluginList();
  void OnShowWindow(bool shown);
  void OnItemChanged(const NMLISTVIEW* change);
  void OnCheckBox(int id);
  // Creates or removes the shortcut in the user's Startup folder.
  void StartAtSignIn(bool start, const TambrelEngine& engine);
  void ChooseLogFile();
  void MakeBoldNote(HFONT dialogFont);
  void SetPluginImages(UINT dpi);
  void OnDpiChanged(UINT dpi, LPARAM suggested);
  // The selected plugin's box, page and group caption.
  void ShowPlugin(Plugin* plugin);
  int PluginIdOfRow(int row) const;
  int SelectedPluginId() const;
  RECT PageRect() const;

  DialogLayout m_layout;
  ContainedWindow m_overlay;
  HWND m_list = nullptr;
  UniqueFont m_boldFont;  // the note's; the static only borrows it
  ProgramIcons m_icons;
};

#endif
