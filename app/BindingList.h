// The main window's list of bindings and the search box above it: an owner-data list view
// over BindingRows, which the list asks for its rows when it draws them. The window keeps
// the engine's chosen binding and the list's selected row together.
#ifndef TAMBREL_BINDINGLIST_H
#define TAMBREL_BINDINGLIST_H

#include <windows.h>

#include <commctrl.h>

#include "BindingRows.h"
#include "ContainedWindow.h"

class TambrelEngine;

class BindingList : private ContainedWindow::Owner {
 public:
  explicit BindingList(int warningOverlay) : m_box(this, 0), m_warningOverlay(warningOverlay) {}

  // The list view and the search box, once the dialog has made them; null, null when it goes.
  void Attach(HWND list, HWND box);
  HWND List() const { return m_list; }
  HWND Box() const { return m_box.Window(); }

  // Every row anew from the binding table, sorted by shortcut text; the row of the binding
  // that was selected (or the row at its place) is selected again.
  void Refill(TambrelEngine* engine);
  // Runs an edit of the engine (Save, Copy, Delete): only the rows of the bindings it touched
  // move, and the list then ends as a refill would leave it.
  void Edit(TambrelEngine* engine, void (TambrelEngine::*edit)());

  // The binding a row shows; 0 for none.
  int IdAt(int row) const { return m_rows.IdAt(row); }
  int SelectedRow() const;

  // The search box's text changed: only the rows that hold it show; the chosen binding keeps
  // its row selected while it is one of them.
  void OnSearchChanged(TambrelEngine* engine);
  // Ctrl+F in the window puts the focus in the search box, its text selected. True when
  // the message was that.
  bool TakesSearchKey(HWND dialog, const MSG* msg);
  // While held, rows carry no warning sign: finding them looks at every shortcut.
  void HoldSigns(bool hold) { m_signsHeld = hold; }
  // The list's notifications: selection, row texts, typing into the list.
  bool OnNotify(TambrelEngine* engine, NMHDR* header, LRESULT* result);

 private:
  bool OnContainedMessage(int mapId, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* result) override;
  void ReadRows(TambrelEngine* engine);
  void SyncRow(TambrelEngine* engine, int actionId);
  void ShowRows(TambrelEngine* engine, int rememberedRow, int rememberedId);
  void FillRow(TambrelEngine* engine, LVITEMA& item);
  int FindRow(TambrelEngine* engine, const char* text, bool prefix, int start, bool wrap);

  HWND m_list = nullptr;
  ContainedWindow m_box;
  int m_warningOverlay;
  BindingRows m_rows;
  bool m_showingRows = false;  // the list's selection is being set to what the rows say
  bool m_signsHeld = false;
};

#endif
