#include "ComboPlugin.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "AltGr.h"
#include "CheckBoxPage.h"
#include "ComboPage.h"
#include "HeldModifiers.h"
#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"
#include "WidePath.h"
#include "WindowsShortcuts.h"
#include "togglekey/ToggleKeyPlugin.h"
#include "tray/TrayPlugin.h"

namespace {

// The modifiers that the hook saw go down and not up yet are tracked from its events, and
// the system's state (GetAsyncKeyState) is read only while one of them is down, for keys
// that have a combination. Tracking alone would keep a modifier down whose release the hook
// missed (it was being installed again, a hook ahead of it swallowed the release); reading
// the system on every key is too slow where GetAsyncKeyState is a round trip to a server
// (Wine: about 3 us a call). A modifier pressed before the hook saw it counts once it is
// pressed again.
int AsyncModifiers() {
  int modifiers = 0;
  if (GetAsyncKeyState(VK_CONTROL) & 0x8000) modifiers |= kComboCtrl;
  if (GetAsyncKeyState(VK_MENU) & 0x8000) modifiers |= kComboAlt;
  if (GetAsyncKeyState(VK_SHIFT) & 0x8000) modifiers |= kComboShift;
  if ((GetAsyncKeyState(VK_LWIN) | GetAsyncKeyState(VK_RWIN)) & 0x8000) modifiers |= kComboWin;
  return modifiers;
}

// The bit of a modifier key among the eight tracked (both sides of each); 0 for other keys.
// Programs send the plain codes too (VK_CONTROL): they count as the left key.
unsigned SidedBit(unsigned vk) {
  switch (vk) {
    case VK_CONTROL:
    case VK_LCONTROL:
      return 1u << 0;
    case VK_RCONTROL:
      return 1u << 1;
    case VK_MENU:
    case VK_LMENU:
      return 1u << 2;
    case VK_RMENU:
      return 1u << 3;
    case VK_SHIFT:
    case VK_LSHIFT:
      return 1u << 4;
    case VK_RSHIFT:
      return 1u << 5;
    case VK_LWIN:
      return 1u << 6;
    case VK_RWIN:
      return 1u << 7;
    default:
      return 0;
  }
}

bool IsModifierKey(unsigned vk) { return SidedBit(vk) != 0; }

bool IsAltOrWin(unsigned vk) {
  return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU || vk == VK_LWIN || vk == VK_RWIN;
}

int Number(const xmlNode* element) {
  long long value = strtoll(NodeText(element->children).c_str(), nullptr, 10);
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// Whether an enabled built-in plugin of class T passes test. Asked only once a combination
// matched, or outside the hook: the list is short and nothing is allocated.
template <typename T, typename Test>
bool AnyEnabled(Test test) {
  for (BuiltInPlugin* plugin : BuiltInPlugin::Existing())
    if (T* found = dynamic_cast<T*>(plugin))
      if (found->IsEnabled() && test(*found)) return true;
  return false;
}

}  // namespace

// The plugin's settings page: combinations also while toggled.
class ComboSettingsPage : public CheckBoxPage<ComboPlugin, IDC_COMBO_WHILETOGGLED, &ComboPlugin::WhileToggled,
                                               &ComboPlugin::SetWhileToggled> {
 public:
  ComboSettingsPage() : CheckBoxPage(IDD_COMBO_SETTINGS) {}
};

static ComboSettingsPage& SettingsPageOfCombos() {
  static ComboSettingsPage page;
  return page;
}

ComboPlugin::ComboPlugin()
    : BuiltInPlugin("Keyboard Combination Plugin", COMBO_PLUGIN_GUID, PLUGIN_SHORTCUTTYPE, IDI_COMBO),
      m_readModifiers(AsyncModifiers) {
  AddSheetSource(this);
}

ComboPlugin::~ComboPlugin() {
  RemoveSheetSource(this);
  DestroyPage();
  DestroySettingsPage();
}

void ComboPlugin::SetEnabled(bool enabled) {
  m_enabled = enabled;
  // What went down while the plugin saw no keys; outside the hook, so the system is asked.
  m_heldModifiers = enabled ? HeldModifierKeys() : 0;
}

bool ComboPlugin::WantsKeyEvents() { return m_enabled || (m_pageOpen && TheComboPage().Capturing()); }

// Runs inside the keyboard hook: one table look-up per key-down, and nothing allocated.
bool ComboPlugin::OnKeyEvent(KBDLLHOOKSTRUCT* key, UINT message) {
  unsigned vk = key->vkCode;
  bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  // AltGr's made-up Ctrl is no Ctrl the user holds: it is tracked apart, and passes.
  if (IsAltGrControl(*key)) {
    m_altGrDown = down;
    return false;
  }
  // Every modifier event counts, sent by programs too: they change what the system holds.
  if (unsigned bit = SidedBit(vk)) m_heldModifiers = down ? m_heldModifiers | bit : m_heldModifiers & ~bit;
  // This library's own typing and mask keys never fire: a macro that presses its own
  // combination would run again and again. Neither does a sandboxed program's input; other
  // programs' input does (on-screen keyboards).
  if (IsInertKeyEvent(key)) return false;
  if (m_pageOpen && TheComboPage().Capturing()) {
    if (!down) MaskMenuKey(vk);
    return Capture(key, message);
  }
  if (!m_enabled) return false;
  if (!down) {
    if (vk == m_heldKey) m_heldKey = 0;
    MaskMenuKey(vk);
    return false;
  }
  if (vk == m_heldKey && vk != 0) return true;  // auto-repeat: swallowed, fired once already
  if (!m_table.HasKey(vk) || (m_toggled && !m_whileToggled) || m_engine == nullptr) return false;
  int modifiers = m_heldModifiers != 0 ? m_readModifiers() : 0;
  if (AltGrHeld(modifiers)) return false;  // the key types its AltGr character
  int actionId = m_table.Winner(vk, modifiers, m_table.NeedsProgram(vk, modifiers) ? ProgramNow() : 0);
  if (actionId == 0 || TakenByToggleKey(vk, key->scanCode)) return false;
  m_heldKey = vk;
  if (modifiers & (kComboAlt | kComboWin)) m_maskPending = true;
  // A binding ran: like any trigger's, it ends a toggle.
  if (m_toggled) m_engine->SetToggled(false);
  m_engine->ExecuteAction(actionId);
  return true;
}

// Alt or Win pressed and released with no other key between opens the menu bar or the Start
// menu; when the key of a combination was swallowed (it fired, or the page took it), an
// unassigned key stands in, right before Alt's or Win's release.
void ComboPlugin::MaskMenuKey(unsigned vk) {
  if (!m_maskPending || !IsAltOrWin(vk)) return;
  m_maskPending = false;
  INPUT mask[2] = {KeyInput(kMaskKey, false), KeyInput(kMaskKey, true)};
  m_sendInput(2, mask, sizeof(INPUT));
}

// Whether AltGr is held, so that a key pressed types its character. AltGr is its right Alt:
// once that is up, as the hook saw or as the system holds no Alt, AltGr is up too, even when
// the release of its Ctrl never came by the hook.
bool ComboPlugin::AltGrHeld(int modifiers) {
  if (m_altGrDown && (!(m_heldModifiers & SidedBit(VK_RMENU)) || !(modifiers & kComboAlt))) m_altGrDown = false;
  return m_altGrDown;
}

// While the box has the focus, the key pressed with its modifiers is the new combination;
// Backspace alone clears it, Tab and Shift+Tab move on. Modifiers pass, so none sticks; a key
// with AltGr is no combination and passes too.
bool ComboPlugin::Capture(const KBDLLHOOKSTRUCT* key, UINT message) {
  unsigned vk = key->vkCode;
  if (IsModifierKey(vk) || (message != WM_KEYDOWN && message != WM_SYSKEYDOWN)) return false;
  int modifiers = m_heldModifiers != 0 ? m_readModifiers() : 0;
  if (AltGrHeld(modifiers)) return false;
  if (vk == VK_TAB && (modifiers & ~kComboShift) == 0) return false;
  if (vk == VK_BACK && modifiers == 0) vk = 0;
  if (vk == 0) modifiers = 0;
  // As when a combination fires: Alt or Win let go after the swallowed key must not open a menu.
  if (modifiers & (kComboAlt | kComboWin)) m_maskPending = true;
  TheComboPage().Take(static_cast<int>(vk), modifiers);
  return true;
}

// The toggle key plugin takes its key whatever the modifiers.
bool ComboPlugin::TakenByToggleKey(unsigned vk, unsigned scanCode) const {
  return AnyEnabled<ToggleKeyPlugin>([&](ToggleKeyPlugin& toggle) { return toggle.TakesKey(vk, scanCode); });
}

void ComboPlugin::OnToggle(bool toggled) {
  m_toggled = toggled;
  m_sheetProgramKnown = false;
}

int ComboPlugin::ProgramNow() const {
  if (m_programFixed) return m_programNames.NumberOf(m_fixedProgram.c_str());
  wchar_t program[MAX_PATH];
  ForegroundProgram(program, MAX_PATH);
  return m_programNames.NumberOf(program);
}

void ComboPlugin::SetProgram(const wchar_t* name) {
  m_programFixed = name != nullptr;
  m_fixedProgram = name != nullptr ? name : L"";
}

std::string ComboPlugin::LayoutWarning(int vk, int modifiers) {
  if (m_layouts != nullptr) return AltGrWarning(*m_layouts, vk, modifiers, ComboText(vk, modifiers));
  InstalledLayouts installed;  // asked anew: the user may add a layout at any time
  return AltGrWarning(installed, vk, modifiers, ComboText(vk, modifiers));
}

std::string ComboPlugin::ComboText(int vk, int modifiers) {
  if (vk <= 0) return std::string();
  std::string text;
  if (modifiers & kComboCtrl) text += "Ctrl+";
  if (modifiers & kComboAlt) text += "Alt+";
  if (modifiers & kComboShift) text += "Shift+";
  if (modifiers & kComboWin) text += "Win+";
  KeyInfo info = {};
  if (m_engine != nullptr && m_engine->GetKeyByCode(&info, vk) != nullptr && info.name[0] != '\0')
    text.append(info.name, strnlen(info.name, sizeof info.name));  // the engine's record: never past it
  else
    text += "#" + std::to_string(vk);
  return text;
}

void ComboPlugin::Store(int actionId, int vk, int modifiers, const std::wstring& programs) {
  Combo& combo = m_combos[actionId];
  combo.vk = vk > 0 && vk < kComboKeys ? vk : 0;
  combo.modifiers = combo.vk != 0 ? modifiers & (kComboModifierStates - 1) : 0;
  combo.programs = m_programNames.Numbers(programs);
  combo.text = ComboText(combo.vk, combo.modifiers);
  m_table.Set(actionId, combo.vk, combo.modifiers, combo.programs);
}

bool ComboPlugin::Find(int actionId, int* vk, int* modifiers) const {
  auto it = m_combos.find(actionId);
  if (it == m_combos.end()) return false;
  *vk = it->second.vk;
  *modifiers = it->second.modifiers;
  return true;
}

// <key>VK</key><modifiers>M</modifiers>, and the filter as the shortcut element's attribute.
void ComboPlugin::Load(int actionId, xmlNode* firstChild) {
  int vk = 0, modifiers = 0;
  for (xmlNode* node = firstChild; node != nullptr; node = node->next) {
    if (IsElement(node, "key") && node->children != nullptr) vk = Number(node);
    if (IsElement(node, "modifiers") && node->children != nullptr) modifiers = Number(node);
  }
  const xmlNode* element = firstChild != nullptr ? firstChild->parent : nullptr;
  Store(actionId, vk, modifiers, element != nullptr ? AttributeWideText(element, "programs") : std::wstring());
}

void ComboPlugin::Save(int actionId, xmlNode* element) {
  auto it = m_combos.find(actionId);
  if (it == m_combos.end()) return;
  AddTextChild(element, "key", std::to_string(it->second.vk));
  AddTextChild(element, "modifiers", std::to_string(it->second.modifiers));
  if (!it->second.programs.empty())
    xmlSetProp(element, X("programs"), X(WideToUtf8(m_programNames.List(it->second.programs, L";")).c_str()));
}

void ComboPlugin::Apply(int actionId) {
  m_current = actionId;
  if (!m_pageOpen) return;  // nothing to read: the combination stays as it is
  ComboPage& page = TheComboPage();
  Store(actionId, page.Key(), page.Modifiers(), page.ItemWideText(IDC_COMBO_PROGRAMS));
  Select(actionId);
}

void ComboPlugin::Select(int actionId) {
  m_current = actionId;
  if (!m_pageOpen) return;
  ComboPage& page = TheComboPage();
  auto it = actionId != 0 ? m_combos.find(actionId) : m_combos.end();
  bool known = it != m_combos.end();
  page.SetCombination(known ? it->second.vk : 0, known ? it->second.modifiers : 0, known ? it->second.text : "",
                      known ? LayoutWarning(it->second.vk, it->second.modifiers) : "");
  page.SetItemWideText(IDC_COMBO_PROGRAMS, known ? m_programNames.List(it->second.programs, L"; ") : L"");
}

void ComboPlugin::Remove(int actionId) {
  m_current = 0;
  m_combos.erase(actionId);
  m_table.Remove(actionId);
}

const char* ComboPlugin::GetShortcutText(int actionId) {
  auto it = m_combos.find(actionId);
  if (it == m_combos.end()) return "Unknown";
  m_text = it->second.text;
  if (!it->second.programs.empty()) m_text += " [" + ShownText(m_programNames.List(it->second.programs, L"; ")) + "]";
  return m_text.c_str();
}

void ComboPlugin::CreatePage(HWND parent, RECT rect) {
  ComboPage& page = TheComboPage();
  if (m_pageOpen || !page.Open(parent, rect)) return;
  page.SetDescriber(
      [](void* context, int vk, int modifiers, std::string* text, std::string* warning) {
        ComboPlugin* plugin = static_cast<ComboPlugin*>(context);
        *text = plugin->ComboText(vk, modifiers);
        *warning = plugin->LayoutWarning(vk, modifiers);
      },
      this);
  m_pageOpen = true;
  Select(m_current);
}

void ComboPlugin::DestroyPage() {
  if (!m_pageOpen) return;
  TheComboPage().Close();
  m_pageOpen = false;
}

void ComboPlugin::ShowPage(bool show) {
  if (m_pageOpen) TheComboPage().Show(show);
}

LRESULT ComboPlugin::PreTranslateMessage(MSG* msg) {
  if (m_pageOpen && Dialog::IsDialogMessageFor(TheComboPage().Window(), msg)) return 1;
  ComboSettingsPage& settings = SettingsPageOfCombos();
  return m_settingsPage != nullptr && settings.OwnedBy(this) && IsDialogMessageA(settings.Window(), msg) ? 1 : 0;
}

void ComboPlugin::LoadSettings(xmlNode* firstChild) {
  xmlNode* node = FindElementWithChild(firstChild, "whiletoggled");
  if (node != nullptr && m_engine != nullptr) m_whileToggled = m_engine->ParseBool(NodeText(node->children).c_str());
}

void ComboPlugin::SaveSettings(xmlNode* pluginElement) {
  AddTextChild(pluginElement, "whiletoggled", m_whileToggled ? "yes" : "no");
}

void ComboPlugin::CreateSettingsPage(HWND parent, RECT rect) {
  if (m_settingsPage != nullptr && m_settingsPage->OwnedBy(this)) return;
  if (SettingsPageOfCombos().Open(this, parent, rect)) m_settingsPage = &SettingsPageOfCombos();
}

void ComboPlugin::DestroySettingsPage() {
  if (m_settingsPage != nullptr && m_settingsPage->OwnedBy(this)) m_settingsPage->Close();
  m_settingsPage = nullptr;
}

// The combinations that can fire in the program at hand while toggled, in text order: none
// of them is typed, so the notice lists them beside the sequences when no typed text leads
// anywhere. The notice shows only while toggled, when combinations fire only if the user lets
// them; and of several on one combination only the one that wins there, never the Tambrel
// key's.
size_t ComboPlugin::SheetRows(SheetRow* rows, size_t max) {
  if (!m_enabled || !m_whileToggled) return 0;
  // The program at hand is the one the toggle started in: looked up once per toggle, and
  // only where some combination has a filter (a lookup asks the system about a process).
  if (!m_sheetProgramKnown) {
    bool filtered = std::any_of(m_combos.begin(), m_combos.end(),
                                [](const std::pair<const int, Combo>& entry) { return !entry.second.programs.empty(); });
    m_sheetProgram = filtered ? ProgramNow() : 0;
    m_sheetProgramKnown = true;
  }
  int program = m_sheetProgram;
  std::vector<std::pair<const Combo*, int>> firing;
  for (const auto& entry : m_combos) {
    const Combo& combo = entry.second;
    unsigned vk = static_cast<unsigned>(combo.vk);
    if (vk == 0 || m_table.Winner(vk, combo.modifiers, program) != entry.first) continue;
    if (TakenByToggleKey(vk, MapVirtualKeyA(vk, MAPVK_VK_TO_VSC))) continue;
    if (WindowsKeeps(combo.vk, combo.modifiers)) continue;
    firing.emplace_back(&combo, entry.first);
  }
  std::sort(firing.begin(), firing.end(),
            [](const std::pair<const Combo*, int>& a, const std::pair<const Combo*, int>& b) {
              int c = a.first->text.compare(b.first->text);
              return c != 0 ? c < 0 : a.second < b.second;
            });
  for (size_t i = 0; i < firing.size() && i < max; ++i)
    rows[i] = SheetRow{firing[i].second, firing[i].first->text.c_str(), 0};
  return firing.size();
}

int ComboPlugin::ShadowOf(int actionId) {
  auto it = m_combos.find(actionId);
  if (it == m_combos.end() || it->second.vk == 0) return 0;
  unsigned vk = static_cast<unsigned>(it->second.vk);
  // Before the Tambrel key: its plugin never sees the key either.
  if (WindowsKeeps(it->second.vk, it->second.modifiers)) return kShadowedByWindows;
  if (TakenByToggleKey(vk, MapVirtualKeyA(vk, MAPVK_VK_TO_VSC))) return kShadowedByToggleKey;
  // While toggled, a tray key pressed alone is the tray's.
  int key = it->second.vk;
  if (m_whileToggled && it->second.modifiers == 0 && AnyEnabled<TrayPlugin>([&](TrayPlugin& tray) {
        for (int row = 0; row < TrayPlugin::KEY_COUNT; ++row)
          if (tray.KeyCode(row) == key) return true;
        return false;
      }))
    return kShadowedByTrayKey;
  return m_table.ShadowOf(actionId);
}

const char* ComboPlugin::ShortcutWarning(int actionId) {
  auto it = m_combos.find(actionId);
  if (it == m_combos.end() || it->second.vk == 0) return nullptr;
  m_warning = WindowsShortcutWarning(it->second.vk, it->second.modifiers);
  return m_warning.empty() ? nullptr : m_warning.c_str();
}

void ComboPlugin::AppendDebugInfo(std::string& text, bool forAction, int actionId) {
  if (!forAction) {
    text += std::string("\t\tAlso while toggled: ") + (m_whileToggled ? "yes" : "no") + "\n";
    return;
  }
  auto it = m_combos.find(actionId);
  if (it == m_combos.end()) return;
  text += "\t\t" + std::string(GetShortcutText(actionId)) + " (key " + std::to_string(it->second.vk) + ", modifiers " +
          std::to_string(it->second.modifiers) + ")\n";
  std::string warning = LayoutWarning(it->second.vk, it->second.modifiers);
  if (!warning.empty()) text += "\t\t" + warning + "\n";
}
