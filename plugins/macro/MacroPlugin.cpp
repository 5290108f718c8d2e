#include "MacroPlugin.h"

#include "HeldModifiers.h"
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

namespace {

#if defined(__i386__)
static_assert(sizeof(INPUT) == 28, "SendInput takes the 28-byte input record on 32-bit x86");
#endif

// Longer names cannot be in the engine's key table.
const size_t kMaxKeyName = 31;

class MacroBuilder {
 public:
  explicit MacroBuilder(Engine& engine) : m_engine(engine) {}

  std::vector<INPUT> Build(const std::string& macro) {
    for (size_t i = 0; i < macro.size(); ++i) {
      char c = macro[i];
      if (int modifier = ModifierIndex(c); modifier >= 0) {
        // Pressed again even when held: the level moves to this group.
        m_levels[modifier] = m_depth + 1;
        Append(kModifierKeys[modifier], false);
      } else if (c == '(') {
        ++m_depth;
      } else if (c == ')') {
        if (m_depth > 0) {
          --m_depth;
          ReleaseStep();
        }
      } else if (c == '{') {
        size_t close = macro.find('}', i + 1);
        if (close == std::string::npos) break;  // a name that never ends names no key
        // Modifiers stay held over a named key, until the next single key or group end.
        PressAndRelease(Lookup(macro.substr(i + 1, close - i - 1)));
        i = close;
      } else if (WORD vk = Lookup(std::string(1, c)); vk != 0) {
        PressAndRelease(vk);
        ReleaseStep();
      }
    }
    m_depth = 0;
    ReleaseStep();
    return std::move(m_events);
  }

 private:
  static constexpr WORD kModifierKeys[5] = {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_APPS};

  static int ModifierIndex(char c) {
    switch (c) {
      case '+': return 0;
      case '^': return 1;
      case '%': return 2;
      case '&': return 3;
      case '@': return 4;
      default: return -1;
    }
  }

  WORD Lookup(const std::string& name) {
    if (name.empty() || name.size() > kMaxKeyName) return 0;
    KeyInfo key = {};
    if (m_engine.GetKeyByName(&key, name.c_str()) == nullptr) return 0;
    // "#number" passes any number through; only 1 to 255 are key codes, and a larger one
    // cut to 16 bits would press some unrelated key.
    return key.vk > 0 && key.vk <= 0xFF ? static_cast<WORD>(key.vk) : 0;
  }

  void PressAndRelease(WORD vk) {
    if (vk == 0) return;
    Append(vk, false);
    Append(vk, true);
  }

  void Append(WORD vk, bool release) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    m_events.push_back(input);
  }

  // Releases what was pressed deeper than the current group. Shift and Ctrl get one release
  // per level, the others at most one per step.
  void ReleaseStep() {
    for (int m = 0; m < 5; ++m) {
      while (m_levels[m] > m_depth) {
        --m_levels[m];
        Append(kModifierKeys[m], true);
        if (m >= 2) break;
      }
    }
  }

  Engine& m_engine;
  std::vector<INPUT> m_events;
  int m_depth = 0;
  int m_levels[5] = {};
};

constexpr WORD MacroBuilder::kModifierKeys[5];

}  // namespace

std::vector<INPUT> BuildMacroEvents(const std::string& macro, Engine& engine) {
  return MacroBuilder(engine).Build(macro);
}

int MacroPlugin::Run(const std::string& macro) {
  if (m_engine == nullptr) return 0;  // no key names to go by
  // One call: nothing the user types can land between the macro's keys. Whether the system
  // let the input through is not looked at.
  SendTyped(BuildMacroEvents(macro, *m_engine));
  return 0;
}
