#include "MacroPlugin.h"

#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"

static const LayoutMapEntry kMacroLayout[] = {{IDC_MACRO_TEXT, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT}};

static SettingsPage& MacroPage() {
  static SettingsPage page(IDD_MACRO_PAGE, PLUGIN_ACTIONTYPE, kMacroLayout);
  return page;
}

MacroPlugin::MacroPlugin()
    : ActionPlugin("Keyboard Action Plugin", MACRO_PLUGIN_GUID, IDI_KEYBOARD, "Keyboard Macro",
                   MacroPage()) {}

void MacroPlugin::Load(int actionId, xmlNode* firstChild) {
  // The converter writes the macro into a "command" child; this plugin writes it as the
  // element's own text.
  if (xmlNode* command = FindElementWithChild(firstChild, "command"))
    m_data[actionId] = NodeText(command->children);
  else
    m_data[actionId] = NodeText(firstChild);
}

void MacroPlugin::Save(int actionId, xmlNode* element) {
  if (const std::string* macro = Find(actionId)) AddContent(element, *macro);
}

void MacroPlugin::AppendDebugInfo(std::string& text, bool forAction, int actionId) {
  if (!forAction) {
    text += "\t\tNo additional information\n";
  } else if (const std::string* macro = Find(actionId)) {
    text += "\t\t" + *macro + "\n";
  }
}

std::string MacroPlugin::ReadPage() { return m_page.ItemText(IDC_MACRO_TEXT); }
void MacroPlugin::WritePage(const std::string& macro) { SetDlgItemTextA(m_page.Window(), IDC_MACRO_TEXT, macro.c_str()); }
void MacroPlugin::ClearPage() { SetDlgItemTextA(m_page.Window(), IDC_MACRO_TEXT, ""); }

int MacroPlugin::Run(const std::string&) {
  return 0;  // playing the macro comes with the macro player
}
