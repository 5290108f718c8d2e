#include "WindowsPlugin.h"

#include <string.h>

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"

const WindowsPlugin::Row WindowsPlugin::kRows[11] = {
    {"unknown", "Unknown"},           {"logoff", "Log off"},
    {"restart", "Restart"},           {"shutdown", "Shut down"},
    {"standby", "Stand by"},          {"hibernate", "Hibernate"},
    {"lock", "Lock"},                 {"screensaver", "Start screen saver"},
    {"monitor on", "Monitor on"},     {"monitor low", "Monitor low power mode"},
    {"monitor off", "Monitor off"},
};

namespace {

class WindowsPage : public SettingsPage {
 public:
  WindowsPage() : SettingsPage(IDD_WINDOWS_PAGE, PLUGIN_ACTIONTYPE, kLayout) {}

 protected:
  void OnInit() override {
    // In table order, so that the list position is the row index.
    for (const WindowsPlugin::Row& row : WindowsPlugin::kRows)
      SendDlgItemMessageA(Window(), IDC_WINDOWS_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.label));
  }

 private:
  static constexpr LayoutMapEntry kLayout[] = {{IDC_WINDOWS_LIST, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT}};
};
constexpr LayoutMapEntry WindowsPage::kLayout[];

SettingsPage& Page() {
  static WindowsPage page;
  return page;
}

}  // namespace

WindowsPlugin::WindowsPlugin()
    : ActionPlugin("Windows Action Plugin", WINDOWS_PLUGIN_GUID, IDI_WINDOWS, "Windows Action", Page()) {}

void WindowsPlugin::Load(int actionId, xmlNode* firstChild) {
  std::string key = NodeText(firstChild);
  int index = 0;
  for (int i = 0; i < 11; ++i)
    if (key == kRows[i].key) {  // case-sensitive: "Monitor off" is no key
      index = i;
      break;
    }
  m_data[actionId] = index;
}

void WindowsPlugin::Save(int actionId, xmlNode* element) {
  if (const int* index = Find(actionId)) AddContent(element, kRows[*index].key);
}

void WindowsPlugin::AppendDebugInfo(std::string& text, bool forAction, int actionId) {
  if (forAction) {
    if (const int* index = Find(actionId)) text += std::string("\t\t") + kRows[*index].label + "\n";
    return;
  }
  text += "\t\tKnown actions:\n";
  for (const Row& row : kRows) text += std::string("\t\t\t") + row.label + " (" + row.key + ")\n";
}

int WindowsPlugin::ReadPage() {
  LRESULT selection = SendDlgItemMessageA(m_page.Window(), IDC_WINDOWS_LIST, CB_GETCURSEL, 0, 0);
  return selection < 0 || selection > 10 ? 0 : static_cast<int>(selection);
}

void WindowsPlugin::WritePage(const int& index) {
  SendDlgItemMessageA(m_page.Window(), IDC_WINDOWS_LIST, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int WindowsPlugin::Run(const int&) {
  return 0;  // the operations come with the system-operations seam
}
