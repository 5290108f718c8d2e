#include "BuiltInPlugin.h"

#include <algorithm>

static HINSTANCE gModule;

static std::vector<BuiltInPlugin*>& ExistingPlugins() {
  static std::vector<BuiltInPlugin*> plugins;
  return plugins;
}

BuiltInPlugin::BuiltInPlugin(const char* name, const char* guid, int types, int icon)
    : m_name(name), m_guid(guid), m_types(types), m_icon(icon) {
  ExistingPlugins().push_back(this);
}

BuiltInPlugin::~BuiltInPlugin() {
  std::vector<BuiltInPlugin*>& plugins = ExistingPlugins();
  plugins.erase(std::remove(plugins.begin(), plugins.end(), this), plugins.end());
  delete m_debugText;
}

const std::vector<BuiltInPlugin*>& BuiltInPlugin::Existing() { return ExistingPlugins(); }

HINSTANCE PluginModule() { return gModule != nullptr ? gModule : GetModuleHandleA(nullptr); }
void SetPluginModule(HINSTANCE module) { gModule = module; }

const char* BuiltInPlugin::GetDebugInfo(bool release, bool forAction, int actionId) {
  if (release) {
    delete m_debugText;
    m_debugText = nullptr;
    return nullptr;
  }
  if (m_debugText == nullptr) m_debugText = new std::string;
  m_debugText->clear();
  AppendDebugInfo(*m_debugText, forAction, actionId);
  return m_debugText->c_str();
}

void BuiltInPlugin::AppendDebugInfo(std::string& text, bool, int) {
  text += "\t\tNo additional information\n";
}

HICON BuiltInPlugin::GetIcon() {
  return static_cast<HICON>(LoadImageA(PluginModule(), MAKEINTRESOURCEA(m_icon), IMAGE_ICON, 0, 0,
                                       LR_DEFAULTCOLOR | LR_SHARED));
}
