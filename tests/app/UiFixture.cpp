#include "UiFixture.h"

#include <commctrl.h>

#include "Library.h"
#include "Shell.h"
#include "resource.h"

namespace {

// Fresh objects for every engine: each shut-down releases (deletes) the ones it was given.
unsigned MakeBuiltInPlugins(Plugin*** plugins) {
  static Plugin* s_plugins[kBuiltInPluginCount];
  CreateBuiltInPlugins(s_plugins);
  *plugins = s_plugins;
  return kBuiltInPluginCount;
}

}  // namespace

std::string SequenceToCommand(const char* shortcut, const char* command) {
  return std::string("<action><shortcut plugin=\"" SEQUENCE_PLUGIN_GUID "\">") + shortcut +
         "</shortcut><actiontype plugin=\"" EXECUTE_PLUGIN_GUID "\"><command>" + command +
         "</command><parameter/><directory/></actiontype></action>";
}

// A library that is no plugin library keeps discovery from reporting an empty folder.
UiTest::UiTest() : dir({"hookpad.dll"}) {
  InitPluginLibrary(GetModuleHandleA(nullptr));
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterOverlayClass();
  gLinkedPlugins = {MakeBuiltInPlugins, "tambrelplug.dll", BuiltInShadowingAction, BuiltInShortcutWarning};
}

UiTest::~UiTest() {
  Stop();
  gLinkedPlugins = {nullptr, nullptr, nullptr, nullptr};
  UnregisterOverlayClass();
}

void UiTest::Start(const std::string& actions, const std::string& options) {
  std::string allOptions = options.find("hookactive") == std::string::npos
                               ? options + "<option name=\"hookactive\">no</option>"
                               : options;
  WriteWholeFile(dir.File("conf.xml"), "<tambrel version=\"2.01\"><options>" + allOptions +
                                           "</options><plugins/><actions>" + actions + "</actions></tambrel>");
  engine.reset(new TambrelEngine);
  ASSERT_NE(TambrelEngine::Instance(), nullptr);
  dialog.reset(new MainDlg);
  ASSERT_NE(dialog->Create(), nullptr);
  Pump();
  EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts()[0];
}

void UiTest::Stop() {
  if (dialog) {
    dialog->Destroy();
    dialog.reset();
    // The dialog's WM_QUIT must not end a later test's pumping.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  engine.reset();
}

void UiTest::Pump() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (MessageLoop::Take(&msg))
      if (msg.message != WM_QUIT) loop.Handle(&msg);
    Sleep(5);
  }
}

void UiTest::Click(int id) {
  SendMessageA(Item(id), BM_CLICK, 0, 0);
  Pump();
}

std::string UiTest::Text(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string UiTest::RowText(int row, int column) {
  char text[512] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(Item(IDC_MAIN_BINDINGS), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

int UiTest::SelectedRow() { return ListView_GetNextItem(Item(IDC_MAIN_BINDINGS), -1, LVNI_SELECTED); }

void UiTest::SelectRow(int row) {
  ListView_SetItemState(Item(IDC_MAIN_BINDINGS), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Pump();
}

std::string UiTest::ComboText(int id) {
  HWND combo = Item(id);
  LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return "";
  char text[256] = "";
  SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

// As the user does it: the selection changes, then the box tells its parent.
void UiTest::ChooseInCombo(int id, const char* text) {
  HWND combo = Item(id);
  LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  ASSERT_NE(index, CB_ERR) << text;
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(dialog->Window(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  Pump();
}

void UiTest::SelectTab(int tab) {
  HWND tabs = Item(IDC_MAIN_TABS);
  TabCtrl_SetCurSel(tabs, tab);
  NMHDR header = {tabs, IDC_MAIN_TABS, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(dialog->Window(), WM_NOTIFY, IDC_MAIN_TABS, reinterpret_cast<LPARAM>(&header));
  Pump();
}

HWND UiTest::PageItem(int id) {
  for (HWND page = GetWindow(Item(IDC_MAIN_TABS), GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT))
    if (GetWindowLongA(page, GWL_STYLE) & WS_VISIBLE)  // the dialog itself may be hidden
      if (HWND item = GetDlgItem(page, id)) return item;
  return nullptr;
}
