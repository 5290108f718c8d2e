#include "BindingList.h"

#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "Engine.h"

namespace {

// The texts a plugin returns live only until its next call: kept as copies.
std::string ShortcutText(TambrelEngine* engine, int actionId, const ActionRecord& record) {
  ShortcutType* type = engine->ShortcutOf(record.shortcutPluginId);
  const char* text = type != nullptr ? type->GetShortcutText(actionId) : nullptr;
  return text != nullptr ? text : "";
}

std::string ActionText(TambrelEngine* engine, int actionId, const ActionRecord& record) {
  ActionType* type = engine->ActionOf(record.actionPluginId);
  const char* text = type != nullptr ? type->GetActionText(actionId) : nullptr;
  return text != nullptr ? text : "";
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  int got = GetWindowTextA(window, &text[0], static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace

void BindingList::Attach(HWND list, HWND box) {
  m_list = list;
  if (box == nullptr) {
    m_box.Unsubclass();
    return;
  }
  m_box.Subclass(box);
  SendMessageW(box, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Shortcut, action or program (Ctrl+F)"));
}

int BindingList::SelectedRow() const {
  return m_list != nullptr ? ListView_GetNextItem(m_list, -1, LVNI_SELECTED) : -1;
}

void BindingList::ReadRows(TambrelEngine* engine) {
  std::vector<BindingRows::Row> rows;
  rows.reserve(engine->Actions().size());
  for (auto& binding : engine->Actions())
    rows.emplace_back(ShortcutText(engine, binding.first, binding.second), binding.first,
                      ActionText(engine, binding.first, binding.second));
  m_rows.Assign(std::move(rows));
}

// The row of one binding follows the table: it moves to where its text puts it now, comes
// with a new binding and goes with a removed one.
void BindingList::SyncRow(TambrelEngine* engine, int actionId) {
  if (actionId == 0) return;
  auto it = engine->Actions().find(actionId);
  if (it == engine->Actions().end())
    m_rows.Remove(actionId);
  else
    m_rows.Place(actionId, ShortcutText(engine, actionId, it->second).c_str(),
                 ActionText(engine, actionId, it->second).c_str());
}

// The list shows the rows, then the row to select is chosen: the remembered binding's row,
// else the remembered row, lowered to the last one; else none. A remembered binding that the
// search hides stays chosen, without a row.
void BindingList::ShowRows(TambrelEngine* engine, int rememberedRow, int rememberedId) {
  int rows = m_rows.Count();
  // An owner-data list keeps only a count (a new one redraws the scroll bar at once); rows
  // may have moved under any index, so all that is visible is drawn anew at the next paint.
  if (ListView_GetItemCount(m_list) != rows) ListView_SetItemCountEx(m_list, rows, LVSICF_NOSCROLL);
  InvalidateRect(m_list, nullptr, FALSE);
  int choice = rememberedId != 0 ? m_rows.RowOf(rememberedId) : -1;
  bool hidden = choice < 0 && rememberedId != 0 && engine->Actions().count(rememberedId) != 0;
  if (choice < 0 && !hidden && rememberedRow >= 0 && rows > 0) choice = rememberedRow < rows ? rememberedRow : rows - 1;
  // The selection belongs to an index, not to a binding: it is set anew. The engine is told
  // once, below, not by the notifications this sends. Row by row: a state set on all rows
  // at once visits every row.
  m_showingRows = true;
  if (rememberedRow >= 0) ListView_SetItemState(m_list, rememberedRow, 0, LVIS_SELECTED);
  int focused = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
  if (focused >= 0) ListView_SetItemState(m_list, focused, 0, LVIS_FOCUSED);
  if (choice >= 0) {
    ListView_SetItemState(m_list, choice, LVIS_SELECTED, LVIS_SELECTED);
    ListView_EnsureVisible(m_list, choice, FALSE);
  }
  m_showingRows = false;
  engine->SelectAction(hidden ? rememberedId : m_rows.IdAt(choice));
}

void BindingList::Refill(TambrelEngine* engine) {
  if (m_list == nullptr || engine == nullptr) return;
  int selectedRow = SelectedRow();
  int selectedId = selectedRow >= 0 ? m_rows.IdAt(selectedRow) : engine->SelectedAction();
  ReadRows(engine);
  ShowRows(engine, selectedRow, selectedId);
}

// Save, Copy and Delete change the selected binding and make at most the bindings that get
// the engine's next ids: only their rows move, so an edit costs about the same with ten
// bindings or ten thousand. The list then ends as a full refill would leave it. Without a
// selected row, the binding chosen is the engine's: one the search hides.
void BindingList::Edit(TambrelEngine* engine, void (TambrelEngine::*edit)()) {
  int selectedRow = SelectedRow();
  int selectedId = selectedRow >= 0 ? m_rows.IdAt(selectedRow) : engine->SelectedAction();
  int edited = engine->SelectedAction();
  int firstNew = engine->NextActionId();
  (engine->*edit)();
  if (m_list == nullptr) return;
  SyncRow(engine, edited);
  for (int made = firstNew; made < engine->NextActionId(); ++made) SyncRow(engine, made);
  // A change the edit could not name (none is known): all rows anew.
  if (m_rows.Total() != static_cast<int>(engine->Actions().size())) ReadRows(engine);
  ShowRows(engine, selectedRow, selectedId);
}

// Nothing is chosen anew: the pages keep whatever the user has typed into them.
void BindingList::OnSearchChanged(TambrelEngine* engine) {
  if (m_list == nullptr || Box() == nullptr) return;
  int selectedRow = SelectedRow();
  m_rows.SetFilter(WindowText(Box()).c_str());
  m_showingRows = true;
  if (selectedRow >= 0) ListView_SetItemState(m_list, selectedRow, 0, LVIS_SELECTED);
  int focused = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
  if (focused >= 0) ListView_SetItemState(m_list, focused, 0, LVIS_FOCUSED);
  ListView_SetItemCountEx(m_list, m_rows.Count(), 0);
  InvalidateRect(m_list, nullptr, FALSE);
  int chosen = engine != nullptr && engine->SelectedAction() != 0 ? m_rows.RowOf(engine->SelectedAction()) : -1;
  if (chosen >= 0) {
    ListView_SetItemState(m_list, chosen, LVIS_SELECTED, LVIS_SELECTED);
    ListView_EnsureVisible(m_list, chosen, FALSE);
  } else if (m_rows.Count() > 0) {
    ListView_EnsureVisible(m_list, 0, FALSE);
  }
  m_showingRows = false;
}

bool BindingList::TakesSearchKey(HWND dialog, const MSG* msg) {
  if (msg->message != WM_KEYDOWN || msg->wParam != 'F' || Box() == nullptr) return false;
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0) return false;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return false;
  SetFocus(Box());
  SendMessageA(Box(), EM_SETSEL, 0, -1);
  return true;
}

// The search box claims Escape, which empties it, so that the dialog manager does not take
// the key as Cancel: it asks the control first (WM_GETDLGCODE with the message).
bool BindingList::OnContainedMessage(int, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_GETDLGCODE: {
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      *result = DefSubclassProc(hwnd, message, wParam, lParam);
      if (msg != nullptr && msg->wParam == VK_ESCAPE && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR))
        *result |= DLGC_WANTMESSAGE;
      return true;
    }
    case WM_KEYDOWN:
      if (wParam != VK_ESCAPE) return false;
      if (GetWindowTextLengthA(hwnd) > 0) SetWindowTextA(hwnd, "");  // EN_CHANGE: every row again
      *result = 0;
      return true;
    case WM_CHAR:
      if (wParam != VK_ESCAPE) return false;
      *result = 0;  // an edit beeps at a character it cannot take
      return true;
  }
  return false;
}

// Texts and images of a row, asked for when the list draws it: always the plugins' own now.
void BindingList::FillRow(TambrelEngine* engine, LVITEMA& item) {
  int id = m_rows.IdAt(item.iItem);
  auto it = engine->Actions().find(id);
  if (it == engine->Actions().end()) {
    if (item.mask & LVIF_TEXT) item.pszText = const_cast<char*>("");
    return;
  }
  bool shortcut = item.iSubItem == 0;
  if (item.mask & LVIF_TEXT) {
    const char* text = nullptr;
    if (shortcut) {
      if (ShortcutType* type = engine->ShortcutOf(it->second.shortcutPluginId)) text = type->GetShortcutText(id);
    } else if (ActionType* type = engine->ActionOf(it->second.actionPluginId)) {
      text = type->GetActionText(id);
    }
    item.pszText = const_cast<char*>(text != nullptr ? text : "");
  }
  if (item.mask & LVIF_IMAGE) item.iImage = shortcut ? it->second.shortcutPluginId : it->second.actionPluginId;
  if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_OVERLAYMASK)) {
    item.state &= ~LVIS_OVERLAYMASK;
    if (shortcut && !m_signsHeld && engine->HasWarning(id)) item.state |= INDEXTOOVERLAYMASK(m_warningOverlay);
  }
}

// The list's search by text, for typing the start of a shortcut into it: case-insensitive,
// over the texts the rows show.
int BindingList::FindRow(TambrelEngine* engine, const char* text, bool prefix, int start, bool wrap) {
  int rows = m_rows.Count();
  size_t length = strlen(text);
  if (start < 0 || start >= rows) start = 0;
  for (int n = 0; n < rows; ++n) {
    int row = start + n;
    if (row >= rows) {
      if (!wrap) break;
      row -= rows;
    }
    int id = m_rows.IdAt(row);
    auto it = engine->Actions().find(id);
    ShortcutType* type = it != engine->Actions().end() ? engine->ShortcutOf(it->second.shortcutPluginId) : nullptr;
    const char* shown = type != nullptr ? type->GetShortcutText(id) : nullptr;
    if (shown == nullptr) continue;
    if (prefix ? _strnicmp(shown, text, length) == 0 : _stricmp(shown, text) == 0) return row;
  }
  return -1;
}

bool BindingList::OnNotify(TambrelEngine* engine, NMHDR* header, LRESULT* result) {
  if (m_list == nullptr || header->hwndFrom != m_list) return false;
  if (header->code == LVN_ITEMCHANGED) {
    NMLISTVIEW* change = reinterpret_cast<NMLISTVIEW*>(header);
    int id = m_rows.IdAt(change->iItem);
    if (!m_showingRows && id != 0 && (change->uNewState & LVIS_SELECTED) && engine != nullptr)
      engine->SelectAction(id);
    *result = 0;
    return true;
  }
  if (header->code == LVN_GETDISPINFOA) {
    *result = 0;
    if (engine != nullptr) FillRow(engine, reinterpret_cast<NMLVDISPINFOA*>(header)->item);
    return true;
  }
  // Typing into the list: an owner-data list asks its owner to find the row. Windows asks an
  // ANSI window in ANSI; Wine asks in UTF-16 whatever the window.
  if (header->code == LVN_ODFINDITEMA || header->code == LVN_ODFINDITEMW) {
    NMLVFINDITEMA* find = reinterpret_cast<NMLVFINDITEMA*>(header);
    std::string text;
    if (header->code == LVN_ODFINDITEMA) {
      if (find->lvfi.psz != nullptr) text = find->lvfi.psz;
    } else if (const wchar_t* wide = reinterpret_cast<NMLVFINDITEMW*>(header)->lvfi.psz) {
      int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
      if (length > 0) {
        text.resize(static_cast<size_t>(length));
        WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], length, nullptr, nullptr);
        text.resize(strlen(text.c_str()));
      }
    }
    UINT flags = find->lvfi.flags;
    *result = engine != nullptr && (flags & (LVFI_STRING | LVFI_PARTIAL)) && !text.empty()
                  ? FindRow(engine, text.c_str(), (flags & LVFI_PARTIAL) != 0, find->iStart, (flags & LVFI_WRAP) != 0)
                  : -1;
    return true;
  }
  return false;
}
