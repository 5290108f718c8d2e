#include "ExecutePlugin.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <utility>

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"
#include "RunningProgram.h"
#include "WidePath.h"

namespace {

class ExecutePage : public SettingsPage {
 public:
  ExecutePage() : SettingsPage(IDD_EXECUTE_PAGE, PLUGIN_ACTIONTYPE, kLayout) {}

 protected:
  void OnInit() override {
    for (int id : {IDC_EXECUTE_COMMAND, IDC_EXECUTE_PARAMETER, IDC_EXECUTE_DIR}) MakeUnicodeEdit(id);
  }
  bool OnPageMessage(UINT message, WPARAM wParam, LPARAM, LRESULT*) override {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    if (LOWORD(wParam) == IDC_EXECUTE_BROWSECOMMAND) {
      BrowseCommand();
      return true;
    }
    if (LOWORD(wParam) == IDC_EXECUTE_BROWSEDIR) {
      BrowseDirectory();
      return true;
    }
    return false;
  }

 private:
  void BrowseCommand() {
    wchar_t file[MAX_PATH] = L"";
    GetDlgItemTextW(Window(), IDC_EXECUTE_COMMAND, file, MAX_PATH - 1);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Window();
    dialog.lpstrFilter = L"All Files\0*.*\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_READONLY | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                   OFN_DONTADDTORECENT | OFN_EXPLORER;
    if (GetOpenFileNameW(&dialog)) SetDlgItemTextW(Window(), IDC_EXECUTE_COMMAND, file);
  }

  static int CALLBACK SelectInitial(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
  }

  void BrowseDirectory() {
    wchar_t dir[MAX_PATH] = L"";
    GetDlgItemTextW(Window(), IDC_EXECUTE_DIR, dir, MAX_PATH);
    BROWSEINFOW browse = {};
    browse.hwndOwner = Window();
    browse.lpszTitle = L"Select working directory...";
    browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    browse.lpfn = SelectInitial;
    browse.lParam = reinterpret_cast<LPARAM>(dir);
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) return;
    wchar_t path[MAX_PATH];
    if (SHGetPathFromIDListW(chosen, path)) SetDlgItemTextW(Window(), IDC_EXECUTE_DIR, path);
    CoTaskMemFree(chosen);  // the shell's allocator
  }

  static constexpr LayoutMapEntry kLayout[] = {
      {IDC_EXECUTE_COMMAND, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_EXECUTE_BROWSECOMMAND, LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_EXECUTE_PARAMETER, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_EXECUTE_DIR, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_EXECUTE_BROWSEDIR, LAYOUT_TOP | LAYOUT_RIGHT},
      {IDC_EXECUTE_SWITCH, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
  };
};
constexpr LayoutMapEntry ExecutePage::kLayout[];

SettingsPage& Page() {
  static ExecutePage page;
  return page;
}

}  // namespace

ExecutePlugin::ExecutePlugin()
    : ActionPlugin("ShellExecute Action Plugin", EXECUTE_PLUGIN_GUID, IDI_EXECUTE, "Execute File", Page()) {}

void ExecutePlugin::Load(int actionId, xmlNode* firstChild) {
  ExecuteRecord record;
  bool hasCommand = false;
  // A name that occurs twice: the later element wins.
  for (xmlNode* node = firstChild; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE || node->children == nullptr) continue;
    if (IsElement(node, "command")) {
      record.command = FirstChildWideText(node);
      hasCommand = true;
    } else if (IsElement(node, "parameter")) {
      record.parameter = FirstChildWideText(node);
    } else if (IsElement(node, "dir")) {
      record.dir = FirstChildWideText(node);
    } else if (IsElement(node, "switch")) {
      std::string value = NodeText(node->children);
      record.switchTo = m_engine != nullptr ? m_engine->ParseBool(value.c_str()) : _stricmp(value.c_str(), "yes") == 0;
    }
  }
  if (hasCommand) m_data[actionId] = std::move(record);  // without a command the binding has no data
}

void ExecutePlugin::Save(int actionId, xmlNode* element) {
  const ExecuteRecord* record = Find(actionId);
  if (record == nullptr) return;
  AddTextChild(element, "command", record->command);
  AddTextChild(element, "parameter", record->parameter);
  AddTextChild(element, "dir", record->dir);
  if (record->switchTo) AddTextChild(element, "switch", "yes");
}

void ExecutePlugin::AppendDebugInfo(std::string& text, bool forAction, int actionId) {
  if (!forAction) {
    text += "\t\tNo additional information\n";
  } else if (const ExecuteRecord* record = Find(actionId)) {
    text += "\t\tCommand: " + ShownText(record->command) + "\n";
    text += "\t\tParameters: " + ShownText(record->parameter) + "\n";
    text += "\t\tWorking directory: " + ShownText(record->dir) + "\n";
    if (record->switchTo) text += "\t\tSwitch to it when it is already running\n";
  }
}

ExecuteRecord ExecutePlugin::ReadPage() {
  return ExecuteRecord{m_page.ItemWideText(IDC_EXECUTE_COMMAND), m_page.ItemWideText(IDC_EXECUTE_PARAMETER),
                       m_page.ItemWideText(IDC_EXECUTE_DIR),
                       IsDlgButtonChecked(m_page.Window(), IDC_EXECUTE_SWITCH) == BST_CHECKED};
}

void ExecutePlugin::WritePage(const ExecuteRecord& record) {
  m_page.SetItemWideText(IDC_EXECUTE_COMMAND, record.command);
  m_page.SetItemWideText(IDC_EXECUTE_PARAMETER, record.parameter);
  m_page.SetItemWideText(IDC_EXECUTE_DIR, record.dir);
  CheckDlgButton(m_page.Window(), IDC_EXECUTE_SWITCH, record.switchTo ? BST_CHECKED : BST_UNCHECKED);
}

int ExecutePlugin::Run(const ExecuteRecord& record) {
  if (!record.switchTo) {
    // The outcome is not looked at: a missing file or association is not reported.
    ShellExecuteW(nullptr, L"open", record.command.c_str(), record.parameter.c_str(), record.dir.c_str(),
                  SW_SHOWNORMAL);
    return 0;
  }
  ProgramImage program;
  if (ProgramOfCommand(record.command, &program)) {
    HWND foreground = GetForegroundWindow();
    HWND window = WindowToRaise(ProgramWindows(program), foreground != nullptr ? GetAncestor(foreground, GA_ROOTOWNER)
                                                                               : nullptr);
    if (window != nullptr) {
      RaiseWindow(window);
      return 0;
    }
  }
  StartProgram(record.command, record.parameter, record.dir);
  return 0;
}

std::string ExecutePlugin::Describe(const ExecuteRecord& record) {
  size_t slash = record.command.find_last_of(L'\\');
  return ShownText(slash == std::wstring::npos ? record.command : record.command.substr(slash + 1));
}
