// The settings window, driven in-process over the built-in plugins.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <vector>

#include "PluginResources.h"
#include "StartupShortcut.h"
#include "UiFixture.h"
#include "resource.h"

namespace {

const char kMark[] = "\xD7";

class SettingsDlgTest : public UiTest {
 protected:
  HWND Settings() { return dialog->SettingsWindow(); }
  HWND SettingsItem(int id) { return GetDlgItem(Settings(), id); }
  HWND List() { return SettingsItem(IDC_SETTINGS_PLUGINS); }
  bool Checked(int id) { return IsDlgButtonChecked(Settings(), id) == BST_CHECKED; }
  void ClickBox(int id) {
    SendMessageA(SettingsItem(id), BM_CLICK, 0, 0);
    Pump();
  }
  // Tests that need no shown window keep it hidden: under Wine without a window manager,
  // every hide of a shown window waits two seconds for a window manager's answer.
  void Show() {
    ShowWindow(Settings(), SW_SHOW);
    Pump();
  }
  std::string Cell(int row, int column) {
    char text[256] = "";
    ListView_GetItemText(List(), row, column, text, sizeof text);
    return text;
  }
  int RowOf(const char* name) {
    LVFINDINFOA find = {};
    find.flags = LVFI_STRING;
    find.psz = name;
    return static_cast<int>(
        SendMessageA(List(), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  }
  // As a click does it: the list deselects the old row, then selects the new one.
  void SelectPlugin(const char* name) {
    int row = RowOf(name);
    ASSERT_GE(row, 0) << name;
    ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
  }
  // The plugin pages: the overlay's direct children.
  std::vector<HWND> Pages() {
    std::vector<HWND> pages;
    for (HWND child = GetWindow(SettingsItem(IDC_SETTINGS_OVERLAY), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
      pages.push_back(child);
    return pages;
  }
  PluginRecord* Record(const char* guid) { return engine->FindPlugin(engine->Registry().FindByGuid(guid)); }
  RECT Size(int id) {
    RECT rect;
    GetWindowRect(SettingsItem(id), &rect);
    return {0, 0, rect.right - rect.left, rect.bottom - rect.top};
  }
};

TEST_F(SettingsDlgTest, ListsThePluginsByNameWithTheirKindsAndOpensOnTheFirst) {
  Start("");
  EXPECT_FALSE(IsWindowVisible(Settings()));
  const char* const kNames[] = {"Keyboard Action Plugin",     "Keyboard Combination Plugin",
                                "Keyboard Shortcut Plugin",   "Keyboard Tambrel Plugin",
                                "ShellExecute Action Plugin", "Tambrel Tray Plugin",
                                "Text Action Plugin",         "Window Tambrel Notify Plugin",
                                "Windows Action Plugin"};
  ASSERT_EQ(ListView_GetItemCount(List()), 9);
  for (int row = 0; row < 9; ++row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = row;
    SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    PluginRecord* record = engine->FindPlugin(static_cast<int>(item.lParam));  // item data: the plugin id
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Cell(row, 0), kNames[row]);
    EXPECT_STREQ(record->name, kNames[row]);
    EXPECT_EQ(item.iImage, item.lParam);
    EXPECT_EQ(Cell(row, 5), "tambrelplug.dll");
  }
  EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(List(), LVSIL_SMALL)), 10);

  // AT, ST, TB (toggle handler or notifier), GP; a notify handler alone has no column.
  const struct {
    int row;
    const char* marks[4];
  } kKinds[] = {{0, {kMark, "", "", ""}}, {1, {"", kMark, "", ""}},     {2, {"", kMark, "", ""}},
                {3, {"", "", kMark, ""}}, {5, {"", "", kMark, kMark}}, {6, {kMark, "", "", ""}},
                {7, {"", "", kMark, ""}}};
  for (const auto& kind : kKinds)
    for (int column = 1; column <= 4; ++column) EXPECT_EQ(Cell(kind.row, column), kind.marks[column - 1]) << kind.row;

  Show();
  EXPECT_EQ(ListView_GetNextItem(List(), -1, LVNI_SELECTED), 0);
  EXPECT_EQ(Text(SettingsItem(IDC_SETTINGS_PLUGINGROUP)), "Keyboard Action Plugin");
  EXPECT_TRUE(Checked(IDC_SETTINGS_PLUGINACTIVE));
  EXPECT_TRUE(Pages().empty());  // an action plugin has no settings page
  EXPECT_TRUE(Checked(IDC_SETTINGS_ENGINEACTIVE));
  for (int id : {IDC_SETTINGS_LOG, IDC_SETTINGS_LOGFILE, IDC_SETTINGS_BROWSELOG})
    EXPECT_FALSE(IsWindowEnabled(SettingsItem(id))) << id;

  LOGFONTA font = {};
  HFONT note = reinterpret_cast<HFONT>(SendMessageA(SettingsItem(IDC_SETTINGS_NOTE), WM_GETFONT, 0, 0));
  GetObjectA(note, sizeof font, &font);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
}

HWND gOverlay;
std::vector<size_t> gPagesBeforeCreation;

LRESULT CALLBACK WatchPageCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->hwndParent == gOverlay) {
    size_t others = 0;
    for (HWND child = GetWindow(gOverlay, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      if (child != reinterpret_cast<HWND>(wParam)) ++others;
    gPagesBeforeCreation.push_back(others);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(SettingsDlgTest, SelectingAPluginClosesTheOldPageBeforeOpeningItsOwn) {
  Start("");
  SelectPlugin("Keyboard Tambrel Plugin");
  ASSERT_EQ(Pages().size(), 1u);
  EXPECT_NE(GetDlgItem(Pages()[0], IDC_TOGGLEKEY_NAME), nullptr);
  EXPECT_EQ(Text(SettingsItem(IDC_SETTINGS_PLUGINGROUP)), "Keyboard Tambrel Plugin");

  gOverlay = SettingsItem(IDC_SETTINGS_OVERLAY);
  gPagesBeforeCreation.clear();
  HHOOK hook = SetWindowsHookExA(WH_CBT, WatchPageCreation, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  SelectPlugin("Tambrel Tray Plugin");
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(gPagesBeforeCreation, std::vector<size_t>{0});
  ASSERT_EQ(Pages().size(), 1u);
  EXPECT_NE(GetDlgItem(Pages()[0], IDC_TRAY_MAIN), nullptr);
  EXPECT_EQ(Text(SettingsItem(IDC_SETTINGS_PLUGINGROUP)), "Tambrel Tray Plugin");

  SelectPlugin("Keyboard Shortcut Plugin");
  EXPECT_TRUE(Pages().empty());
  EXPECT_EQ(Text(SettingsItem(IDC_SETTINGS_PLUGINGROUP)), "Keyboard Shortcut Plugin");
}

TEST_F(SettingsDlgTest, EngineSwitchesActAtOnceAndTheStoredAutoactiveStays) {
  Start("");
  Show();  // the switches show the engine's state from the first show on
  ClickBox(IDC_SETTINGS_ENGINEACTIVE);
  EXPECT_FALSE(engine->IsActive());
  EXPECT_FALSE(Checked(IDC_SETTINGS_PLUGINACTIVE));
  for (PluginRecord& record : engine->Registry()) {
    EXPECT_FALSE(record.plugin->IsEnabled()) << record.name;
    EXPECT_TRUE(record.active) << record.name;  // the stored choice is the user's
  }
  ClickBox(IDC_SETTINGS_ENGINEACTIVE);
  EXPECT_TRUE(engine->IsActive());
  EXPECT_TRUE(Checked(IDC_SETTINGS_PLUGINACTIVE));
  ClickBox(IDC_SETTINGS_ENGINEACTIVE);

  ClickBox(IDC_SETTINGS_HOOKACTIVE);
  EXPECT_TRUE(engine->HookInstalled());
  ClickBox(IDC_SETTINGS_HOOKACTIVE);
  EXPECT_FALSE(engine->HookInstalled());
  ClickBox(IDC_SETTINGS_AUTOSHOW);
  EXPECT_TRUE(engine->Options().autoShow);

  Stop();
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(written.find("<option name=\"autoactive\">yes</option>"), std::string::npos) << written;
  EXPECT_NE(written.find("<option name=\"autoshow\">yes</option>"), std::string::npos) << written;
  EXPECT_NE(written.find("<option name=\"hookactive\">no</option>"), std::string::npos) << written;
}

TEST_F(SettingsDlgTest, ActiveBoxSetsThePluginsStoredFlag) {
  Start("");
  Show();  // the switches show the engine's state from the first show on
  SelectPlugin("Keyboard Shortcut Plugin");
  PluginRecord* sequence = Record(SEQUENCE_PLUGIN_GUID);
  ClickBox(IDC_SETTINGS_PLUGINACTIVE);
  EXPECT_FALSE(sequence->active);
  EXPECT_FALSE(sequence->plugin->IsEnabled());
  // Switching the engine off and on enables by the stored flag: the plugin stays off.
  ClickBox(IDC_SETTINGS_ENGINEACTIVE);
  ClickBox(IDC_SETTINGS_ENGINEACTIVE);
  EXPECT_TRUE(engine->IsActive());
  EXPECT_FALSE(sequence->plugin->IsEnabled());
  EXPECT_FALSE(Checked(IDC_SETTINGS_PLUGINACTIVE));

  // The tray mirrors its enabled state into the engine's, which then enables the plugins by
  // their flags: the tray's own flag must already be the new one.
  SelectPlugin("Tambrel Tray Plugin");
  PluginRecord* tray = Record(TRAY_PLUGIN_GUID);
  ClickBox(IDC_SETTINGS_PLUGINACTIVE);
  EXPECT_FALSE(engine->IsActive());
  EXPECT_FALSE(Checked(IDC_SETTINGS_ENGINEACTIVE));
  ClickBox(IDC_SETTINGS_PLUGINACTIVE);
  EXPECT_TRUE(engine->IsActive());
  EXPECT_TRUE(tray->active);
  EXPECT_TRUE(tray->plugin->IsEnabled());
  EXPECT_TRUE(Checked(IDC_SETTINGS_PLUGINACTIVE));

  // With no row selected the box has nothing to switch and does not change.
  ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
  Pump();
  ClickBox(IDC_SETTINGS_PLUGINACTIVE);
  EXPECT_TRUE(Checked(IDC_SETTINGS_PLUGINACTIVE));
  EXPECT_TRUE(tray->active);

  Stop();
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(written.find("guid=\"" SEQUENCE_PLUGIN_GUID "\" active=\"no\""), std::string::npos) << written;
  EXPECT_NE(written.find("guid=\"" TRAY_PLUGIN_GUID "\" active=\"yes\""), std::string::npos) << written;
}

TEST_F(SettingsDlgTest, StartBoxMakesAndRemovesTheStartupShortcutAndShowsWhatTheFolderHolds) {
  CleanStartupFolder clean;
  Start("");
  Show();
  EXPECT_FALSE(Checked(IDC_SETTINGS_STARTUP));
  ClickBox(IDC_SETTINGS_STARTUP);
  EXPECT_TRUE(Checked(IDC_SETTINGS_STARTUP));
  std::wstring target, working;
  ASSERT_TRUE(ReadShortcut(StartupShortcutPath(), &target, &working));
  EXPECT_EQ(target, ThisProgram());
  EXPECT_EQ(working, Wide(dir.Path()));  // where conf.xml is

  ClickBox(IDC_SETTINGS_STARTUP);
  EXPECT_FALSE(Checked(IDC_SETTINGS_STARTUP));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(StartupShortcutPath().c_str()));
  EXPECT_TRUE(boxes.Texts().empty());

  // A shortcut that cannot be written is reported, and the box stays as the folder is.
  ASSERT_TRUE(CreateDirectoryW(StartupShortcutPath().c_str(), nullptr));
  ClickBox(IDC_SETTINGS_STARTUP);
  RemoveDirectoryW(StartupShortcutPath().c_str());
  EXPECT_FALSE(Checked(IDC_SETTINGS_STARTUP));
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Couldn't create the shortcut in the Startup folder!"});

  // The user's own shortcut to this program shows at the next refresh, and goes with the box
  // as ours does; one to another program stays.
  const std::wstring ours = StartupShortcutPath(), folder = ours.substr(0, ours.find_last_of(L'\\'));
  ASSERT_TRUE(CreateStartupShortcut(L"C:\\windows\\notepad.exe", L"C:\\"));
  ASSERT_TRUE(MoveFileW(ours.c_str(), (folder + L"\\Other.lnk").c_str()));
  ASSERT_TRUE(CreateStartupShortcut(ThisProgram(), L"C:\\"));
  ASSERT_TRUE(MoveFileW(ours.c_str(), (folder + L"\\Mine.lnk").c_str()));
  dialog->RefreshSettings(false);
  EXPECT_TRUE(Checked(IDC_SETTINGS_STARTUP));
  ClickBox(IDC_SETTINGS_STARTUP);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder + L"\\Mine.lnk").c_str()));
  EXPECT_TRUE(DeleteFileW((folder + L"\\Other.lnk").c_str()));
}

TEST_F(SettingsDlgTest, ResizingStretchesTheGroupAndTheOverlayAndThePageFillsIt) {
  Start("");
  MINMAXINFO limits = {};
  SendMessageA(Settings(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 450);
  EXPECT_EQ(limits.ptMinTrackSize.y, 520);
  // Asked for 350 x 480, the window gets the minimum, centred on the work area.
  RECT window, work;
  GetWindowRect(Settings(), &window);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(window.right - window.left, 450);
  EXPECT_EQ(window.bottom - window.top, 520);
  EXPECT_EQ(window.left, work.left + (work.right - work.left - 450) / 2);
  EXPECT_EQ(window.top, work.top + (work.bottom - work.top - 520) / 2);

  SelectPlugin("Keyboard Tambrel Plugin");
  RECT group = Size(IDC_SETTINGS_PLUGINGROUP), overlay = Size(IDC_SETTINGS_OVERLAY);
  SetWindowPos(Settings(), nullptr, 0, 0, window.right - window.left + 200, window.bottom - window.top + 100,
               SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(Size(IDC_SETTINGS_PLUGINGROUP).right, group.right + 200);
  EXPECT_EQ(Size(IDC_SETTINGS_PLUGINGROUP).bottom, group.bottom + 100);
  EXPECT_EQ(Size(IDC_SETTINGS_OVERLAY).right, overlay.right + 200);
  EXPECT_EQ(Size(IDC_SETTINGS_OVERLAY).bottom, overlay.bottom + 100);

  ASSERT_EQ(Pages().size(), 1u);
  RECT client, page;
  GetClientRect(SettingsItem(IDC_SETTINGS_OVERLAY), &client);
  GetWindowRect(Pages()[0], &page);
  MapWindowPoints(nullptr, SettingsItem(IDC_SETTINGS_OVERLAY), reinterpret_cast<POINT*>(&page), 2);
  EXPECT_TRUE(EqualRect(&page, &client)) << page.left << "," << page.top << "," << page.right << "," << page.bottom;
}

TEST_F(SettingsDlgTest, ButtonKeysAndCloseBoxOnlyHideAndEachHideClosesThePage) {
  Start("");
  SelectPlugin("Keyboard Tambrel Plugin");
  DeleteFileA(dir.File("conf.xml").c_str());
  auto press = [this](WPARAM key) {
    PostMessageA(List(), WM_KEYDOWN, key, 0);
    PostMessageA(List(), WM_KEYUP, key, 0xC0000000);
  };
  EXPECT_EQ(Text(SettingsItem(2)), "OK");  // the button is control 2
  const std::function<void()> kHides[] = {
      [this] { SendMessageA(SettingsItem(IDC_SETTINGS_OK), BM_CLICK, 0, 0); },
      [this] { SendMessageA(Settings(), WM_CLOSE, 0, 0); },
      [&] { press(VK_ESCAPE); },  // through the message loop, as typed
      [&] { press(VK_RETURN); },
  };
  int way = 0;
  for (const auto& hide : kHides) {
    Show();
    EXPECT_EQ(Pages().size(), 1u) << way;
    hide();
    Pump();
    EXPECT_FALSE(IsWindowVisible(Settings())) << way;
    EXPECT_TRUE(IsWindow(Settings())) << way;
    EXPECT_TRUE(Pages().empty()) << way;
    ++way;
  }
  EXPECT_FALSE(FileExists(dir.File("conf.xml")));  // only the engine's ShowDialog writes
  // The window's own filter takes keys only: the main dialog's still drops double-clicks.
  MSG doubleClick = {List(), WM_LBUTTONDBLCLK, 0, 0, 0, {0, 0}};
  EXPECT_TRUE(loop.Filter(&doubleClick));

  Show();
  EXPECT_EQ(Pages().size(), 1u);
  EXPECT_EQ(Text(SettingsItem(IDC_SETTINGS_PLUGINGROUP)), "Keyboard Tambrel Plugin");
}

}  // namespace
