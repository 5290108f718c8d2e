// The pattern of the three action plugins: per-binding data kept by action id, the binding
// that the page shows, and the page. A plugin supplies its data type and how the data goes
// into and out of its page, into and out of conf.xml, and what executing it does.
#ifndef TAMBRELPLUG_ACTIONPLUGIN_H
#define TAMBRELPLUG_ACTIONPLUGIN_H

#include <map>
#include <string>

#include "BuiltInPlugin.h"
#include "RoleParts.h"
#include "SettingsPage.h"

template <typename Data>
class ActionPlugin : public BuiltInPlugin, public ActionTypePart {
 public:
  ActionPlugin(const char* name, const char* guid, int icon, const char* typeName, SettingsPage& page)
      : BuiltInPlugin(name, guid, PLUGIN_ACTIONTYPE, icon), m_page(page), m_typeName(typeName) {}
  ~ActionPlugin() override { DestroyPage(); }

  ActionType* GetActionType() override { return this; }
  LRESULT PreTranslateMessage(MSG* msg) override {
    return m_page.IsOpen() && Dialog::IsDialogMessageFor(m_page.Window(), msg) ? 1 : 0;
  }

  void Apply(int actionId) override {
    m_current = actionId;
    if (!m_page.IsOpen()) return;  // nothing to read: the data stay as they are
    m_data[actionId] = ReadPage();
    Select(actionId);
  }
  void Select(int actionId) override {
    m_current = actionId;
    if (!m_page.IsOpen()) return;
    const Data* data = Find(actionId);
    if (actionId != 0 && data != nullptr)
      WritePage(*data);
    else
      ClearPage();
  }
  void Remove(int actionId) override {
    m_current = 0;
    m_data.erase(actionId);
  }
  int Execute(int actionId) override {
    const Data* data = Find(actionId);
    if (!m_enabled || data == nullptr) return 0;
    return Run(*data);
  }
  const char* GetActionText(int actionId) override {
    const Data* data = Find(actionId);
    if (data == nullptr) return "Unknown";
    m_text = Describe(*data);
    return m_text.c_str();
  }
  bool HasPage() override { return true; }
  void CreatePage(HWND parent, RECT rect) override {
    if (!m_page.Open(parent, rect)) return;
    if (m_current != 0) Select(m_current);
  }
  void DestroyPage() override { m_page.Close(); }
  void ShowPage(bool show) override { m_page.Show(show); }

  const Data* Find(int actionId) const {
    auto it = m_data.find(actionId);
    return it != m_data.end() ? &it->second : nullptr;
  }
  int CurrentAction() const { return m_current; }

 protected:
  const char* TypeName() override { return m_typeName; }
  virtual Data ReadPage() = 0;
  virtual void WritePage(const Data& data) = 0;
  virtual void ClearPage() = 0;
  virtual int Run(const Data& data) = 0;
  virtual std::string Describe(const Data& data) = 0;

  std::map<int, Data> m_data;
  SettingsPage& m_page;

 private:
  const char* m_typeName;
  int m_current = 0;
  std::string m_text;
};

#endif
