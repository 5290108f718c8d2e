// The binding editor, driven in-process over the built-in plugins.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "ConfigFile.h"
#include "PluginGuids.h"
#include "PluginResources.h"
#include "Taskbar.h"
#include "UiFixture.h"
#include "combo/ComboPage.h"
#include "combo/ComboPlugin.h"
#include "resource.h"

namespace {

const std::string kThreeBindings = SequenceToCommand("np", "C:\\Windows\\notepad.exe") +
                                   SequenceToCommand("Zz", "calc.exe") +
                                   SequenceToCommand("AB", "C:\\tools\\ab.cmd");

typedef UiTest MainDlgTest;

TEST_F(MainDlgTest, OpensWithSortedRowsTheTypeBoxesAndNoBindingChosen) {
  Start(kThreeBindings);
  RECT window;
  GetWindowRect(dialog->Window(), &window);
  EXPECT_EQ(window.right - window.left, 360);
  EXPECT_EQ(window.bottom - window.top, 450);
  EXPECT_FALSE(IsWindowVisible(Item(IDC_MAIN_DEBUGDUMP)));

  // Shortcuts are stored upper-cased; rows sort byte-wise on them.
  ASSERT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 3);
  EXPECT_EQ(RowText(0, 0), "AB");
  EXPECT_EQ(RowText(0, 1), "ab.cmd");
  EXPECT_EQ(RowText(1, 0), "NP");
  EXPECT_EQ(RowText(1, 1), "notepad.exe");
  EXPECT_EQ(RowText(2, 0), "ZZ");
  EXPECT_EQ(RowText(2, 1), "calc.exe");
  EXPECT_EQ(SelectedRow(), -1);

  // Rows show their plugins' icons, addressed by plugin id.
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iSubItem = 1;
  SendMessageA(Item(IDC_MAIN_BINDINGS), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, engine->Actions().begin()->second.actionPluginId);

  // Inserted at the top in registry order: the last registered plugin comes first.
  HWND actions = Item(IDC_MAIN_ACTIONCOMBO);
  ASSERT_EQ(SendMessageA(actions, CB_GETCOUNT, 0, 0), 4);
  char text[64];
  SendMessageA(actions, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Type Text");
  SendMessageA(actions, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Keyboard Macro");
  HWND shortcuts = Item(IDC_MAIN_SHORTCUTCOMBO);
  ASSERT_EQ(SendMessageA(shortcuts, CB_GETCOUNT, 0, 0), 2);
  SendMessageA(shortcuts, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Key Combination");
  EXPECT_EQ(ComboText(IDC_MAIN_SHORTCUTCOMBO), "");
  EXPECT_EQ(SendMessageA(actions, CB_GETITEMHEIGHT, 0, 0), 18);
  EXPECT_TRUE(IsWindowVisible(Item(IDC_MAIN_SHORTCUTCOMBO)) || !IsWindowVisible(dialog->Window()));
  EXPECT_FALSE(GetWindowLongA(actions, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MainDlgTest, SelectingARowShowsItsPluginsAndPagesTabByTab) {
  Start(kThreeBindings);
  SelectRow(0);
  HWND page = GetParent(PageItem(IDC_SEQUENCE_TEXT));
  SetWindowTextA(PageItem(IDC_SEQUENCE_TEXT), "XY");  // not saved
  // The same plugins keep their pages, which show the newly chosen binding.
  SelectRow(1);
  EXPECT_EQ(GetParent(PageItem(IDC_SEQUENCE_TEXT)), page);
  EXPECT_EQ(ComboText(IDC_MAIN_SHORTCUTCOMBO), "Sequence Shortcut");
  EXPECT_EQ(ComboText(IDC_MAIN_ACTIONCOMBO), "Execute File");
  char tab[64] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = tab;
  item.cchTextMax = sizeof tab;
  SendMessageA(Item(IDC_MAIN_TABS), TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(tab, "Execute File");

  ASSERT_NE(PageItem(IDC_SEQUENCE_TEXT), nullptr);
  EXPECT_EQ(Text(PageItem(IDC_SEQUENCE_TEXT)), "NP");
  EXPECT_EQ(PageItem(IDC_EXECUTE_COMMAND), nullptr);  // the action page is hidden

  SelectTab(1);
  ASSERT_NE(PageItem(IDC_EXECUTE_COMMAND), nullptr);
  EXPECT_EQ(Text(PageItem(IDC_EXECUTE_COMMAND)), "C:\\Windows\\notepad.exe");
  EXPECT_EQ(PageItem(IDC_SEQUENCE_TEXT), nullptr);
  EXPECT_TRUE(GetWindowLongA(Item(IDC_MAIN_ACTIONCOMBO), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(Item(IDC_MAIN_SHORTCUTCOMBO), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MainDlgTest, NewChooseTypeSaveCreatesABindingThatIsWritten) {
  Start(kThreeBindings);
  SelectRow(0);
  Click(IDC_MAIN_NEW);
  EXPECT_EQ(SelectedRow(), -1);
  EXPECT_EQ(engine->SelectedAction(), 0);
  EXPECT_EQ(ComboText(IDC_MAIN_ACTIONCOMBO), "");

  ChooseInCombo(IDC_MAIN_SHORTCUTCOMBO, "Sequence Shortcut");
  ASSERT_NE(PageItem(IDC_SEQUENCE_TEXT), nullptr);
  SetWindowTextA(PageItem(IDC_SEQUENCE_TEXT), "QX");
  SelectTab(1);
  ChooseInCombo(IDC_MAIN_ACTIONCOMBO, "Execute File");
  ASSERT_NE(PageItem(IDC_EXECUTE_COMMAND), nullptr);
  SetWindowTextA(PageItem(IDC_EXECUTE_COMMAND), "C:\\bin\\qx.exe");
  Click(IDC_MAIN_SAVE);

  ASSERT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 4);
  EXPECT_EQ(RowText(2, 0), "QX");
  EXPECT_EQ(RowText(2, 1), "qx.exe");
  EXPECT_EQ(SelectedRow(), -1);  // the editor is on a new, empty binding again
  EXPECT_EQ(engine->SelectedAction(), 0);

  Stop();
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(written.find("QX</shortcut>"), std::string::npos) << written;
  EXPECT_NE(written.find("<command>C:\\bin\\qx.exe</command>"), std::string::npos) << written;
}

// What the user types into the Type Text page reaches conf.xml whole, characters beyond the
// system code page included: the loop takes the edit's messages in UTF-16.
TEST_F(MainDlgTest, TypeTextPageKeepsEveryCharacterTypedIntoIt) {
  Start(std::string("<action><shortcut plugin=\"" SEQUENCE_PLUGIN_GUID "\">TT</shortcut><actiontype plugin=\"" TYPETEXT_PLUGIN_GUID
                    "\">caf\xC3\xA9\nline two</actiontype></action>"));
  EXPECT_EQ(RowText(0, 1), "caf\xE9");  // the first line, in the system code page
  SelectRow(0);
  SelectTab(1);
  HWND edit = PageItem(IDC_TYPETEXT_TEXT);
  ASSERT_NE(edit, nullptr);
  SendMessageW(edit, EM_SETSEL, 0, 0);
  for (wchar_t unit : std::wstring(L"\u2192\u2713\u0416\U0001F600 "))
    PostMessageW(edit, WM_CHAR, unit, 1);
  Pump();
  WCHAR typed[64] = L"";
  GetWindowTextW(edit, typed, 64);
  EXPECT_STREQ(typed, L"\u2192\u2713\u0416\U0001F600 caf\u00e9\r\nline two");
  Click(IDC_MAIN_SAVE);
  EXPECT_EQ(RowText(0, 1), "???? caf\xE9");

  Stop();
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(written.find("\">&#x2192;&#x2713;&#x416;&#x1F600; caf&#xE9;\nline two</actiontype>"), std::string::npos)
      << written;
}

TEST_F(MainDlgTest, SaveCopyAndDeleteKeepTheSelectionWhereAUserExpectsIt) {
  Start(kThreeBindings);
  SelectRow(1);  // NP
  SelectTab(1);
  SetWindowTextA(PageItem(IDC_EXECUTE_COMMAND), "C:\\Windows\\write.exe");
  Click(IDC_MAIN_SAVE);
  EXPECT_EQ(RowText(1, 1), "write.exe");
  EXPECT_EQ(SelectedRow(), 1);

  Click(IDC_MAIN_COPY);
  ASSERT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 4);
  EXPECT_EQ(RowText(1, 0), "NP");
  EXPECT_EQ(RowText(2, 0), "NP");
  int copied = engine->SelectedAction();
  EXPECT_EQ(dialog->RowAction(SelectedRow()), copied);
  EXPECT_LT(copied, engine->NextActionId() - 1);  // the original, not the copy

  SelectRow(3);  // ZZ, the last row
  Click(IDC_MAIN_DELETE);
  ASSERT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 3);
  EXPECT_EQ(SelectedRow(), 2);  // the index lowered to the new last row
  EXPECT_EQ(RowText(2, 0), "NP");

  Click(IDC_MAIN_NEW);
  Click(IDC_MAIN_SAVE);  // no plugins chosen: nothing changes
  EXPECT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 3);
}

TEST_F(MainDlgTest, ASavedShortcutMovesItsRowAndTheSelectionGoesWithIt) {
  Start(kThreeBindings);
  SelectRow(2);  // ZZ
  SetWindowTextA(PageItem(IDC_SEQUENCE_TEXT), "AA");
  Click(IDC_MAIN_SAVE);
  EXPECT_EQ(RowText(0, 0), "AA");
  EXPECT_EQ(RowText(0, 1), "calc.exe");
  EXPECT_EQ(RowText(1, 0), "AB");
  EXPECT_EQ(RowText(2, 0), "NP");
  EXPECT_EQ(SelectedRow(), 0);
  EXPECT_EQ(engine->SelectedAction(), dialog->RowAction(0));

  // A copy sorts after its original: equal texts keep the order the bindings were made in.
  Click(IDC_MAIN_COPY);
  ASSERT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 4);
  EXPECT_EQ(RowText(1, 0), "AA");
  EXPECT_EQ(dialog->RowAction(1), engine->NextActionId() - 1);
  EXPECT_EQ(SelectedRow(), 0);
}

// N fires at the first key of NP: saving N warns of NP, whose row then carries the sign and,
// once selected, says why; saving a shortcut that N blocks names N.
TEST_F(MainDlgTest, SavingABindingThatBlocksAnotherWarnsAndMarksItsRow) {
  Start(kThreeBindings);
  SelectRow(2);  // ZZ
  SetWindowTextA(PageItem(IDC_SEQUENCE_TEXT), "N");
  Click(IDC_MAIN_SAVE);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The binding is saved, but NP never fires: N fires first."});
  ASSERT_EQ(RowText(2, 0), "NP");
  HWND list = Item(IDC_MAIN_BINDINGS);
  EXPECT_EQ(ListView_GetItemState(list, 2, LVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(1u));
  EXPECT_EQ(ListView_GetItemState(list, 1, LVIS_OVERLAYMASK), 0u);
  EXPECT_EQ(Text(Item(IDC_MAIN_WARNING)), "");
  SelectRow(2);
  EXPECT_EQ(Text(Item(IDC_MAIN_WARNING)), "NP never fires: N fires first");

  boxes.Clear();
  SelectRow(0);  // AB
  SetWindowTextA(PageItem(IDC_SEQUENCE_TEXT), "NX");
  Click(IDC_MAIN_SAVE);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The binding is saved, but NX never fires: N fires first."});
}

// Finding the bindings that never fire waits until the window, shown for the first time,
// has been painted: until then the rows carry no sign.
TEST_F(MainDlgTest, WarningSignsComeAfterTheWindowsFirstPaint) {
  Start(SequenceToCommand("N", "a.exe") + SequenceToCommand("NP", "b.exe"));
  HWND list = Item(IDC_MAIN_BINDINGS);
  ASSERT_EQ(RowText(1, 0), "NP");
  ShowWindow(dialog->Window(), SW_SHOW);
  EXPECT_EQ(ListView_GetItemState(list, 1, LVIS_OVERLAYMASK), 0u);
  UpdateWindow(dialog->Window());
  for (int round = 0; round < 100 && ListView_GetItemState(list, 1, LVIS_OVERLAYMASK) == 0; ++round) Pump();
  EXPECT_EQ(ListView_GetItemState(list, 1, LVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(1u));
  EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_OVERLAYMASK), 0u);
}

// A combination on the Tambrel key never fires, and the line below the list says so.
TEST_F(MainDlgTest, ACombinationOnTheTambrelKeyIsMarkedAsNeverFiring) {
  Start(std::string("<action><shortcut plugin=\"" COMBO_PLUGIN_GUID "\"><key>19</key><modifiers>0</modifiers>"
                    "</shortcut><actiontype plugin=\"" EXECUTE_PLUGIN_GUID "\"><command>calc.exe</command>"
                    "</actiontype></action>"));
  SelectRow(0);
  EXPECT_EQ(ListView_GetItemState(Item(IDC_MAIN_BINDINGS), 0, LVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(1u));
  EXPECT_EQ(Text(Item(IDC_MAIN_WARNING)), RowText(0, 0) + " never fires: it is the Tambrel key");
}

// A combination on a tray hot key (F11, the main window's), when combinations also work while
// toggled, fires on the key-down and ends the toggle: the tray's key is the one that never
// acts, and the line says so.
TEST_F(MainDlgTest, ACombinationOnATrayKeyNamesTheTrayKeyAsTheOneThatNeverFires) {
  Start(std::string("<action><shortcut plugin=\"" COMBO_PLUGIN_GUID "\"><key>122</key><modifiers>0</modifiers>"
                    "</shortcut><actiontype plugin=\"" EXECUTE_PLUGIN_GUID "\"><command>calc.exe</command>"
                    "</actiontype></action>"));
  for (BuiltInPlugin* plugin : BuiltInPlugin::Existing())
    if (ComboPlugin* combos = dynamic_cast<ComboPlugin*>(plugin)) combos->SetWhileToggled(true);
  SelectRow(0);
  EXPECT_EQ(Text(Item(IDC_MAIN_WARNING)), RowText(0, 0) + " fires first: the tray icon's hot key never fires while toggled");
}

// Shortcuts Windows keeps or uses: Ctrl+Alt+Del never fires, Win+L locks the computer as
// well, Win+E is taken from Windows. Each row carries the sign, the line below the list and
// a save say it, and the debug report lists the first with the unreachable bindings and the
// others apart.
TEST_F(MainDlgTest, CombinationsWindowsKeepsOrUsesAreWarnedOfWhereverUnreachableOnesAre) {
  auto combo = [](int vk, int modifiers, const char* command) {
    return std::string("<action><shortcut plugin=\"" COMBO_PLUGIN_GUID "\"><key>") + std::to_string(vk) +
           "</key><modifiers>" + std::to_string(modifiers) + "</modifiers></shortcut><actiontype plugin=\"" EXECUTE_PLUGIN_GUID
           "\"><command>" + command + "</command></actiontype></action>";
  };
  Start(combo(VK_DELETE, 3, "a.exe") + combo('L', 8, "b.exe") + combo('E', 8, "c.exe") + combo('T', 3, "d.exe"));
  HWND list = Item(IDC_MAIN_BINDINGS);
  const std::string kept = "Windows keeps Ctrl+Alt+Del; this binding never fires";
  const std::string locks = "Win+L also locks the computer";
  const std::string explorer = "Win+E no longer opens File Explorer while this binding exists";
  std::vector<std::string> lines;
  for (int row = 0; row < 4; ++row) {
    SelectRow(row);
    lines.push_back(Text(Item(IDC_MAIN_WARNING)));
    EXPECT_EQ(ListView_GetItemState(list, row, LVIS_OVERLAYMASK), lines.back().empty() ? 0u : INDEXTOOVERLAYMASK(1u))
        << RowText(row, 0);
  }
  // Ctrl+Alt+DEL, Ctrl+Alt+T, Win+E, Win+L
  EXPECT_EQ((std::vector<std::string>{kept, "", explorer, locks}), lines);

  engine->WriteDebugReport();
  std::string report = ReadWholeFile(dir.File("debug.txt"));
  size_t unreachable = report.find("Unreachable bindings:\r\n\tCtrl+Alt+DEL (#1): " + kept + "\r\n\r\n");
  size_t windows = report.find("Bindings on shortcuts of Windows:\r\n\tWin+L (#2): " + locks + "\r\n\tWin+E (#3): " +
                               explorer + "\r\n\r\n");
  EXPECT_NE(std::string::npos, unreachable) << report;
  EXPECT_NE(std::string::npos, windows) << report;
  EXPECT_LT(unreachable, windows);

  // Saved as Ctrl+Alt+Del: the save happens, and the box says why it never fires; as Win+D,
  // what Windows loses.
  SelectRow(1);  // Ctrl+Alt+T
  TheComboPage().Take(VK_DELETE, 3);
  Pump();
  Click(IDC_MAIN_SAVE);
  SelectRow(0);
  TheComboPage().Take('D', 8);
  Pump();
  Click(IDC_MAIN_SAVE);
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"The binding is saved, but " + kept + ".",
                                                      "The binding is saved, but Win+D no longer shows the desktop while "
                                                      "this binding exists."}));
}

TEST_F(MainDlgTest, TypingIntoTheListChoosesTheRowThatStartsSo) {
  Start(kThreeBindings);
  SendMessageA(Item(IDC_MAIN_BINDINGS), WM_CHAR, 'n', 1);
  EXPECT_EQ(SelectedRow(), 1);
  EXPECT_EQ(engine->SelectedAction(), dialog->RowAction(1));
  EXPECT_EQ(Text(PageItem(IDC_SEQUENCE_TEXT)), "NP");
}

// The search box: any case, shortcut, action or program; the chosen binding keeps its row
// while it matches and stays chosen, rowless, while it does not; nothing typed into its pages
// is lost; Escape, claimed by the box, empties it and leaves the window up.
TEST_F(MainDlgTest, TheSearchShowsTheMatchingRowsAndNeverLosesTheChosenBinding) {
  Start(kThreeBindings + "<action><shortcut plugin=\"" SEQUENCE_PLUGIN_GUID "\" programs=\"excel.exe\">QQ</shortcut>"
                         "<actiontype plugin=\"" EXECUTE_PLUGIN_GUID "\"><command>sheet.exe</command></actiontype></action>");
  ShowWindow(dialog->Window(), SW_SHOWNORMAL);
  HWND box = Item(IDC_MAIN_SEARCH), list = Item(IDC_MAIN_BINDINGS);
  auto type = [&](const char* text) {
    for (; *text != '\0'; ++text) SendMessageA(box, WM_CHAR, static_cast<unsigned char>(*text), 1);
    Pump();
  };
  auto shown = [&] {
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) rows.push_back(RowText(row, 0));
    return rows;
  };
  SelectRow(1);  // NP
  int np = engine->SelectedAction();
  SetWindowTextA(PageItem(IDC_SEQUENCE_TEXT), "NQ");  // typed, not saved

  type("NOTE");
  EXPECT_EQ(shown(), std::vector<std::string>{"NP"});
  EXPECT_EQ(SelectedRow(), 0);
  SetWindowTextA(box, "");
  type("Excel");  // the program filter
  EXPECT_EQ(shown(), std::vector<std::string>{"QQ [excel.exe]"});
  EXPECT_EQ(SelectedRow(), -1);
  EXPECT_EQ(engine->SelectedAction(), np);
  EXPECT_EQ(Text(PageItem(IDC_SEQUENCE_TEXT)), "NQ");

  // Saved while the search hides it: still chosen, still rowless.
  Click(IDC_MAIN_SAVE);
  EXPECT_EQ(engine->SelectedAction(), np);
  EXPECT_EQ(SelectedRow(), -1);
  EXPECT_EQ(shown(), std::vector<std::string>{"QQ [excel.exe]"});

  SetFocus(box);
  PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(box, WM_CHAR, VK_ESCAPE, 1);
  Pump();
  EXPECT_EQ(Text(box), "");
  EXPECT_TRUE(IsWindowVisible(dialog->Window()));
  EXPECT_EQ(shown(), (std::vector<std::string>{"AB", "NQ", "QQ [excel.exe]", "ZZ"}));
  EXPECT_EQ(SelectedRow(), 1);
  EXPECT_EQ(dialog->RowAction(1), np);

  // Deleting the one row a search shows leaves a new binding.
  type("zz");
  SelectRow(0);
  Click(IDC_MAIN_DELETE);
  EXPECT_EQ(ListView_GetItemCount(list), 0);
  EXPECT_EQ(engine->SelectedAction(), 0);
}

// Ctrl+F from anywhere in the window, a plugin's page too, goes to the search box.
TEST_F(MainDlgTest, CtrlFPutsTheFocusInTheSearchBox) {
  Start(kThreeBindings);
  ShowWindow(dialog->Window(), SW_SHOWNORMAL);
  SetForegroundWindow(dialog->Window());
  SelectRow(0);
  HWND page = PageItem(IDC_SEQUENCE_TEXT);
  SetFocus(page);
  SetWindowTextA(Item(IDC_MAIN_SEARCH), "ab");
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(page, WM_KEYDOWN, 'F', 1);
  Pump();
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(GetFocus(), Item(IDC_MAIN_SEARCH));
  DWORD from = 0, to = 0;
  SendMessageA(Item(IDC_MAIN_SEARCH), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(0u, from);
  EXPECT_EQ(2u, to);
  EXPECT_EQ(Text(page), "AB");  // no character reached the page
}

TEST_F(MainDlgTest, ToggledBoxFollowsTheEngine) {
  Start("");
  Click(IDC_MAIN_TOGGLED);
  EXPECT_TRUE(engine->IsToggled());
  EXPECT_EQ(IsDlgButtonChecked(dialog->Window(), IDC_MAIN_TOGGLED), BST_CHECKED);
  engine->SetToggled(false);
  EXPECT_EQ(IsDlgButtonChecked(dialog->Window(), IDC_MAIN_TOGGLED), BST_UNCHECKED);

  // The hidden button writes the report into the working folder.
  Click(IDC_MAIN_DEBUGDUMP);
  EXPECT_EQ(ReadWholeFile(dir.File("debug.txt")).find("Dumping debug information for Tambrel 2.01"), 0u);
}

TEST_F(MainDlgTest, ResizingKeepsTheBoxesOverTheTabsAndThePagesInside) {
  Start(kThreeBindings);
  SelectRow(0);
  SetWindowPos(dialog->Window(), nullptr, 0, 0, 600, 620, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  HWND tabs = Item(IDC_MAIN_TABS);
  for (int tab = 0; tab < 2; ++tab) {
    RECT header, combo;
    TabCtrl_GetItemRect(tabs, tab, &header);
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&header), 2);
    GetWindowRect(Item(tab == 0 ? IDC_MAIN_SHORTCUTCOMBO : IDC_MAIN_ACTIONCOMBO), &combo);
    EXPECT_GE(combo.left, header.left) << tab;
    EXPECT_LE(combo.right, header.right) << tab;
    EXPECT_GE(combo.top, header.top) << tab;
  }
  RECT page = dialog->GetPageRect();
  HWND shown = GetParent(PageItem(IDC_SEQUENCE_TEXT));
  ASSERT_NE(shown, nullptr);
  RECT pageWindow;
  GetWindowRect(shown, &pageWindow);
  EXPECT_EQ(pageWindow.right - pageWindow.left, page.right - page.left);
  EXPECT_EQ(pageWindow.bottom - pageWindow.top, page.bottom - page.top);
  RECT list;
  GetWindowRect(Item(IDC_MAIN_BINDINGS), &list);
  EXPECT_GT(list.right - list.left, 500);

  MINMAXINFO limits = {};
  SendMessageA(dialog->Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 360);
  EXPECT_EQ(limits.ptMinTrackSize.y, 450);
}

TEST_F(MainDlgTest, WindowsHideAndTheLoopFiltersDoubleClicks) {
  Start(kThreeBindings);
  ShowWindow(dialog->Window(), SW_SHOW);
  SendMessageA(dialog->Window(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(dialog->Window()));
  EXPECT_TRUE(IsWindow(dialog->Window()));

  Click(IDC_MAIN_ABOUT);
  HWND about = dialog->AboutWindow();
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_EQ(Text(GetDlgItem(about, IDC_ABOUT_VERSION)), "v2.01");
  // Esc through the loop, as the keyboard delivers it: the window's own navigation hides it.
  PostMessageA(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(about));
  Click(IDC_MAIN_SETTINGS);
  EXPECT_TRUE(IsWindowVisible(dialog->SettingsWindow()));
  PostMessageA(GetDlgItem(dialog->SettingsWindow(), IDC_SETTINGS_OK), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(dialog->SettingsWindow()));

  MSG doubleClick = {Item(IDC_MAIN_BINDINGS), WM_LBUTTONDBLCLK, 0, 0, 0, {0, 0}};
  EXPECT_TRUE(loop.Filter(&doubleClick));

  // Hiding through the engine writes the configuration.
  DeleteFileA(dir.File("conf.xml").c_str());
  EXPECT_TRUE(engine->ShowDialog(0, false));
  EXPECT_TRUE(FileExists(dir.File("conf.xml")));
  EXPECT_FALSE(engine->IsDialogVisible(0));
}

TEST_F(MainDlgTest, EndingTheSessionRemovesTheHookAndWritesTheConfiguration) {
  Start(kThreeBindings, "<option name=\"hookactive\">yes</option>");
  ASSERT_TRUE(engine->HookInstalled());
  DeleteFileA(dir.File("conf.xml").c_str());
  SendMessageA(dialog->Window(), WM_ENDSESSION, FALSE, 0);  // the session goes on after all
  EXPECT_TRUE(engine->HookInstalled());
  EXPECT_FALSE(FileExists(dir.File("conf.xml")));

  SendMessageA(dialog->Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(engine->HookInstalled());
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(written.find("NP</shortcut>"), std::string::npos) << written;
  // The user's choice is stored, not the hook's state now.
  EXPECT_NE(written.find("<option name=\"hookactive\">yes</option>"), std::string::npos) << written;
}

// conf.xml changed by another program: the list shows its bindings. A binding's page open in
// the shown window is not dropped without asking, and a No keeps it as it is.
TEST_F(MainDlgTest, AChangedFileFillsTheListAndAnOpenPageIsNotDroppedUnasked) {
  Start(kThreeBindings);
  SelectRow(1);
  auto edit = [&](const std::string& actions) {
    WriteWholeFile(dir.File("conf.xml"), "<tambrel version=\"2.01\"><options><option name=\"hookactive\">no</option>"
                                         "</options><plugins/><actions>" + actions + "</actions></tambrel>");
    engine->Config().TakeChanges();
    Pump();
  };
  edit(SequenceToCommand("cc", "calc.exe") + SequenceToCommand("dd", "d.exe"));  // the window is hidden
  EXPECT_TRUE(boxes.Texts().empty());
  ASSERT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 2);
  EXPECT_EQ(RowText(0, 0), "CC");
  EXPECT_EQ(RowText(1, 1), "d.exe");
  EXPECT_EQ(SelectedRow(), 1);  // the row at the place of the one chosen before
  EXPECT_EQ(ComboText(IDC_MAIN_SHORTCUTCOMBO), "Sequence Shortcut");

  ShowWindow(dialog->Window(), SW_SHOW);
  SelectRow(0);
  SetWindowTextA(PageItem(IDC_SEQUENCE_TEXT), "CCX");  // typed, not saved
  boxes.Answer(IDNO);
  edit(SequenceToCommand("ee", "e.exe"));
  ASSERT_EQ(boxes.Texts().size(), 1u);
  EXPECT_EQ(boxes.Texts()[0].find("conf.xml was changed by another program. Load it now?"), 0u);
  EXPECT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 2);
  EXPECT_EQ(Text(PageItem(IDC_SEQUENCE_TEXT)), "CCX");

  boxes.Answer(IDYES);
  edit(SequenceToCommand("ff", "f.exe"));
  EXPECT_EQ(boxes.Texts().size(), 2u);
  ASSERT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 1);
  EXPECT_EQ(RowText(0, 0), "FF");
  EXPECT_EQ(Text(PageItem(IDC_SEQUENCE_TEXT)), "FF");
}

// A changed file that cannot be loaded is told in a balloon of the engine window's own icon,
// which goes with the balloon: no box waits for the user, and the bindings stay.
TEST_F(MainDlgTest, AChangedFileThatCannotBeLoadedIsToldInABalloon) {
  TaskbarStandIn taskbar;
  ASSERT_TRUE(taskbar.InFront());
  Start(kThreeBindings);
  HWND engineWindow = nullptr;
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, "TambrelEngine", nullptr); w != nullptr && !engineWindow;
       w = FindWindowExA(HWND_MESSAGE, w, "TambrelEngine", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) engineWindow = w;
  }
  ASSERT_NE(engineWindow, nullptr);
  WriteWholeFile(dir.File("conf.xml"), "<tambrel version=\"2.01\">\n<options>");
  engine->Config().TakeChanges();
  Pump();
  EXPECT_TRUE(taskbar.Says(engineWindow, kNoticeIcon, "conf.xml was changed, but Tambrel cannot load it"));
  EXPECT_TRUE(taskbar.Says(engineWindow, kNoticeIcon, "Line 2: "));
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_EQ(ListView_GetItemCount(Item(IDC_MAIN_BINDINGS)), 3);
  SendMessageA(engineWindow, kNoticeMessage, kNoticeIcon, NIN_BALLOONTIMEOUT);
  EXPECT_FALSE(taskbar.Has(engineWindow, kNoticeIcon));
}

TEST_F(MainDlgTest, PluginIconsAreSharedSoThatNoPaintLeaksOne) {
  Start("");
  engine->FindPluginByGuid("{00000000-0000-0000-0000-0000000000AB}", true);  // a missing plugin's placeholder
  boxes.Clear();
  for (PluginRecord& record : engine->Registry()) {
    HICON icon = record.plugin->GetIcon();
    EXPECT_NE(icon, nullptr) << record.name;
    EXPECT_EQ(icon, record.plugin->GetIcon()) << record.name;
  }
}

// Counts the questions a combo box is asked about an item that does not exist.
WNDPROC gComboProc;
int gNoItemQuestions;

LRESULT CALLBACK CountingComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == CB_GETLBTEXT || message == CB_GETLBTEXTLEN || message == CB_GETITEMDATA) &&
      static_cast<int>(wParam) < 0)
    ++gNoItemQuestions;
  return CallWindowProcA(gComboProc, window, message, wParam, lParam);
}

TEST_F(MainDlgTest, ABoxWithNothingChosenDrawsOnlyItsBackground) {
  Start(kThreeBindings);
  HWND combo = Item(IDC_MAIN_SHORTCUTCOMBO);
  ASSERT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  gNoItemQuestions = 0;
  gComboProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingComboProc)));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, CreateBitmap(120, 20, 1, 32, nullptr));
  DRAWITEMSTRUCT draw = {ODT_COMBOBOX, IDC_MAIN_SHORTCUTCOMBO, static_cast<UINT>(-1), ODA_DRAWENTIRE,
                         ODS_COMBOBOXEDIT, combo, dc, {0, 0, 120, 20}, 0};
  FillRect(dc, &draw.rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SendMessageA(dialog->Window(), WM_DRAWITEM, IDC_MAIN_SHORTCUTCOMBO, reinterpret_cast<LPARAM>(&draw));
  SetWindowLongPtrA(combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gComboProc));
  EXPECT_EQ(gNoItemQuestions, 0);
  int background = 0, other = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 120; ++x) {
      COLORREF pixel = GetPixel(dc, x, y);
      background += pixel == GetSysColor(COLOR_WINDOW);
      other += pixel != GetSysColor(COLOR_WINDOW) && pixel != RGB(0, 0, 0);
    }
  EXPECT_GT(background, 100);
  EXPECT_EQ(other, 0);
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
}

TEST_F(MainDlgTest, RowsSortByTextsThatLastOnlyUntilThePluginsNextCall) {
  // The test library's plugins keep one text buffer per side, as the contract allows.
  gLinkedPlugins = {nullptr, nullptr, nullptr, nullptr};
  CopyFileA((ProgramFolder() + "\\testplugins.dll").c_str(), dir.File("testplugins.dll").c_str(), FALSE);
  std::string bindings;
  for (const char* text : {"C", "A", "B"})
    bindings += std::string("<action><shortcut plugin=\"" SEQUENCE_PLUGIN_GUID "\">") + text +
                "</shortcut><actiontype plugin=\"{7E570000-0000-0000-0000-00000000AC71}\">x</actiontype></action>";
  Start(bindings);
  EXPECT_EQ(RowText(0, 0), "A");
  EXPECT_EQ(RowText(1, 0), "B");
  EXPECT_EQ(RowText(2, 0), "C");
}

}  // namespace
