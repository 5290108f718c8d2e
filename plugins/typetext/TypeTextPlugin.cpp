#include "TypeTextPlugin.h"

#include <stdio.h>
#include <stdlib.h>

#include "ClipboardPaste.h"
#include "HeldModifiers.h"
#include "HostLog.h"
#include "PluginGuids.h"
#include "PluginResources.h"
#include "PluginXml.h"

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The length of the character at i: 2 for a surrogate pair, else 1.
size_t CharLength(const std::wstring& text, size_t i) {
  return i + 1 < text.size() && IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

// The length of the line break at i (CR LF counts as one), 0 where there is none.
size_t LineBreakLength(const std::wstring& text, size_t i) {
  if (text[i] == L'\n') return 1;
  if (text[i] != L'\r') return 0;
  return i + 1 < text.size() && text[i + 1] == L'\n' ? 2 : 1;
}

std::wstring FirstLine(const std::wstring& text) { return text.substr(0, text.find_first_of(L"\r\n")); }

// What the debug report shows of a text: people keep passwords and signatures here, and
// debug.txt is a file anyone may be sent.
std::string LengthText(const std::string& utf8) {
  size_t characters = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++characters;  // each character has one byte that does not continue one
  return "Text: " + std::to_string(characters) + (characters == 1 ? " character" : " characters");
}

class TypeTextPage : public SettingsPage {
 public:
  TypeTextPage() : SettingsPage(IDD_TYPETEXT_PAGE, PLUGIN_ACTIONTYPE, kLayout) {}

 protected:
  void OnInit() override { MakeUnicodeEdit(IDC_TYPETEXT_TEXT); }

 private:
  static constexpr LayoutMapEntry kLayout[] = {
      {IDC_TYPETEXT_TEXT, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT | LAYOUT_BOTTOM}};
};
constexpr LayoutMapEntry TypeTextPage::kLayout[];

SettingsPage& Page() {
  static TypeTextPage page;
  return page;
}

const int kMaxPasteLongerThan = 1000000;

}  // namespace

// The general settings page: the length above which texts are pasted, and the programs
// always typed into. One window at a time; the plugin that opened it owns it.
class TypeTextSettingsPage : public SettingsPage {
 public:
  TypeTextSettingsPage() : SettingsPage(IDD_TYPETEXT_SETTINGS, PLUGIN_GENERAL, kLayout) {}

  bool Open(TypeTextPlugin* owner, HWND parent, const RECT& rect) {
    if (IsOpen()) return false;
    m_owner = owner;
    if (!SettingsPage::Open(parent, rect)) return false;
    m_filling = true;
    SetDlgItemInt(Window(), IDC_TYPETEXT_PASTELONGER, static_cast<UINT>(owner->PasteLongerThan()), FALSE);
    SetItemWideText(IDC_TYPETEXT_ALWAYSTYPE, JoinPrograms(owner->AlwaysTypeIn(), L"; "));
    m_filling = false;
    return true;
  }
  bool OwnedBy(const TypeTextPlugin* plugin) const { return IsOpen() && m_owner == plugin; }

 protected:
  void OnInit() override { MakeUnicodeEdit(IDC_TYPETEXT_ALWAYSTYPE); }
  bool OnPageMessage(UINT message, WPARAM wParam, LPARAM, LRESULT*) override {
    if (message != WM_COMMAND || HIWORD(wParam) != EN_CHANGE || m_owner == nullptr || m_filling) return false;
    if (LOWORD(wParam) == IDC_TYPETEXT_PASTELONGER) {
      BOOL number = FALSE;
      UINT characters = GetDlgItemInt(Window(), IDC_TYPETEXT_PASTELONGER, &number, FALSE);
      if (number) m_owner->SetPasteLongerThan(static_cast<int>(characters));  // an empty box changes nothing
      return true;
    }
    if (LOWORD(wParam) == IDC_TYPETEXT_ALWAYSTYPE) {
      m_owner->SetAlwaysTypeIn(ItemWideText(IDC_TYPETEXT_ALWAYSTYPE));
      return true;
    }
    return false;
  }

 private:
  static constexpr LayoutMapEntry kLayout[] = {
      {IDC_TYPETEXT_PASTELONGER, LAYOUT_LEFT | LAYOUT_TOP},
      {IDC_TYPETEXT_ALWAYSTYPE, LAYOUT_LEFT | LAYOUT_TOP | LAYOUT_RIGHT},
  };
  TypeTextPlugin* m_owner = nullptr;
  bool m_filling = false;  // the page's own texts going in are no edit of the user's
};
constexpr LayoutMapEntry TypeTextSettingsPage::kLayout[];

namespace {

TypeTextSettingsPage& SettingsPageOfTypeText() {
  static TypeTextSettingsPage page;
  return page;
}

void AppendKey(std::vector<INPUT>& input, WORD vk) {
  INPUT key = {};
  key.type = INPUT_KEYBOARD;
  key.ki.wVk = vk;
  key.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.push_back(key);
  key.ki.dwFlags = KEYEVENTF_KEYUP;
  input.push_back(key);
}

// The unit goes as it is, in the scan code field: the system makes it a VK_PACKET key, and
// TranslateMessage a WM_CHAR of that unit, whatever the layout. A character beyond the BMP
// is its two surrogates, one after the other.
void AppendUnit(std::vector<INPUT>& input, wchar_t unit) {
  INPUT key = {};
  key.type = INPUT_KEYBOARD;
  key.ki.wScan = static_cast<WORD>(unit);
  key.ki.dwFlags = KEYEVENTF_UNICODE;
  input.push_back(key);
  key.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
  input.push_back(key);
}

}  // namespace

const wchar_t kDefaultAlwaysTypeIn[] =
    L"conhost.exe;OpenConsole.exe;WindowsTerminal.exe;cmd.exe;powershell.exe;pwsh.exe;mintty.exe;putty.exe;"
    L"ConEmu.exe;ConEmu64.exe";

size_t CharacterCount(const std::wstring& text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++count) {
    size_t lineBreak = LineBreakLength(text, i);
    i += lineBreak != 0 ? lineBreak : CharLength(text, i);
  }
  return count;
}

bool PastesInto(size_t characters, int longerThan, const wchar_t* program, const char* windowClass,
                const std::vector<std::wstring>& alwaysTypeIn) {
  if (longerThan <= 0 || characters <= static_cast<size_t>(longerThan)) return false;
  for (const std::wstring& name : alwaysTypeIn)
    if (SameProgram(name.c_str(), program)) return false;
  // A console window reports the first program attached to it as its process, whatever
  // that is (cmd.exe, python.exe, ...), not the console host: its class names it.
  return strcmp(windowClass, "ConsoleWindowClass") != 0;
}

std::wstring Utf8ToUtf16(const std::string& text) { return Utf8ToWide(X(text.c_str())); }

std::string StoredText(const std::wstring& edited) {
  std::wstring clean;
  clean.reserve(edited.size());
  for (size_t i = 0; i < edited.size();) {
    if (size_t lineBreak = LineBreakLength(edited, i)) {
      clean += L'\n';
      i += lineBreak;
      continue;
    }
    size_t length = CharLength(edited, i);
    wchar_t c = edited[i];
    bool xmlChar = length == 2 || ((c >= 0x20 || c == L'\t') && !IsHighSurrogate(c) && !IsLowSurrogate(c) &&
                                   c != 0xFFFE && c != 0xFFFF);
    if (xmlChar) clean.append(edited, i, length);
    i += length;
  }
  if (clean.empty()) return std::string();
  int size = static_cast<int>(clean.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, clean.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, clean.data(), size, &utf8[0], length, nullptr, nullptr);
  return utf8;
}

std::string DisplayText(const std::wstring& text) {
  // Character by character, so that a surrogate pair the code page lacks is one "?". No best
  // fit: "?" says that a character is missing, a look-alike would not. A UTF-8 code page
  // takes neither the flag nor the question.
  bool utf8 = GetACP() == CP_UTF8;
  std::string display;
  for (size_t i = 0; i < text.size();) {
    int length = static_cast<int>(CharLength(text, i));
    char bytes[8];
    BOOL lost = FALSE;
    int written = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, &text[i], length, bytes,
                                      sizeof bytes, nullptr, utf8 ? nullptr : &lost);
    if (written <= 0 || lost)
      display += '?';
    else
      display.append(bytes, static_cast<size_t>(written));
    i += static_cast<size_t>(length);
  }
  return display;
}

std::vector<INPUT> BuildTextInput(const std::wstring& text) {
  std::vector<INPUT> input;
  input.reserve(2 * text.size());
  for (size_t i = 0; i < text.size();) {
    if (size_t lineBreak = LineBreakLength(text, i)) {
      AppendKey(input, VK_RETURN);
      i += lineBreak;
    } else {
      if (text[i] == L'\t')
        AppendKey(input, VK_TAB);
      else
        AppendUnit(input, text[i]);
      ++i;
    }
  }
  return input;
}

TypeTextPlugin::TypeTextPlugin()
    : ActionPlugin("Text Action Plugin", TYPETEXT_PLUGIN_GUID, IDI_TYPETEXT, "Type Text", Page()),
      m_alwaysTypeIn(ParsePrograms(kDefaultAlwaysTypeIn)) {}

TypeTextPlugin::~TypeTextPlugin() { DestroySettingsPage(); }

void TypeTextPlugin::SetPasteLongerThan(int characters) {
  m_pasteLongerThan = characters < 0 ? 0 : characters > kMaxPasteLongerThan ? kMaxPasteLongerThan : characters;
}

// An <alwaystypein> without text is an empty list: the user emptied it.
void TypeTextPlugin::LoadSettings(xmlNode* firstChild) {
  for (xmlNode* node = firstChild; node != nullptr; node = node->next) {
    if (IsElement(node, "pastelongerthan") && node->children != nullptr)
      SetPasteLongerThan(static_cast<int>(strtol(NodeText(node->children).c_str(), nullptr, 10)));
    else if (IsElement(node, "alwaystypein"))
      SetAlwaysTypeIn(FirstChildWideText(node));
  }
}

void TypeTextPlugin::SaveSettings(xmlNode* pluginElement) {
  AddTextChild(pluginElement, "pastelongerthan", std::to_string(m_pasteLongerThan));
  AddTextChild(pluginElement, "alwaystypein", JoinPrograms(m_alwaysTypeIn, L";"));
}

bool TypeTextPlugin::SettingsPageOpen() const { return m_settingsPage != nullptr && m_settingsPage->OwnedBy(this); }

void TypeTextPlugin::CreateSettingsPage(HWND parent, RECT rect) {
  if (SettingsPageOpen()) return;
  if (SettingsPageOfTypeText().Open(this, parent, rect)) m_settingsPage = &SettingsPageOfTypeText();
}

void TypeTextPlugin::DestroySettingsPage() {
  if (SettingsPageOpen()) m_settingsPage->Close();
  m_settingsPage = nullptr;
}

LRESULT TypeTextPlugin::PreTranslateMessage(MSG* msg) {
  if (SettingsPageOpen() && Dialog::IsDialogMessageFor(m_settingsPage->Window(), msg)) return 1;
  return ActionPlugin::PreTranslateMessage(msg);
}

void TypeTextPlugin::Load(int actionId, xmlNode* firstChild) {
  // The element's own text as libxml2 holds it, in UTF-8: every text and CDATA part.
  std::string text;
  for (const xmlNode* node = firstChild; node != nullptr; node = node->next)
    if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && node->content != nullptr)
      text += reinterpret_cast<const char*>(node->content);
  m_data[actionId] = text;
}

void TypeTextPlugin::Save(int actionId, xmlNode* element) {
  const std::string* text = Find(actionId);
  if (text != nullptr && !text->empty()) xmlNodeAddContent(element, X(text->c_str()));
}

void TypeTextPlugin::AppendDebugInfo(std::string& text, bool forAction, int actionId) {
  if (!forAction) {
    text += "\t\tNo additional information\n";
    return;
  }
  if (const std::string* typed = Find(actionId)) text += "\t\t" + LengthText(*typed) + "\n";
}

std::string TypeTextPlugin::ReadPage() {
  return StoredText(m_page.ItemWideText(IDC_TYPETEXT_TEXT));
}

void TypeTextPlugin::WritePage(const std::string& text) {
  // An edit breaks lines at CR LF only.
  std::wstring stored = Utf8ToUtf16(text), shown;
  for (size_t i = 0; i < stored.size();) {
    if (size_t lineBreak = LineBreakLength(stored, i)) {
      shown += L"\r\n";
      i += lineBreak;
    } else {
      shown += stored[i++];
    }
  }
  m_page.SetItemWideText(IDC_TYPETEXT_TEXT, shown);
}

void TypeTextPlugin::ClearPage() { m_page.SetItemWideText(IDC_TYPETEXT_TEXT, L""); }

std::string TypeTextPlugin::Describe(const std::string& text) {
  return DebugReportOpen() ? LengthText(text) : DisplayText(FirstLine(Utf8ToUtf16(text)));
}

int TypeTextPlugin::Run(const std::string& text) {
  std::wstring wide = Utf8ToUtf16(text);
  size_t characters = CharacterCount(wide);
  if (m_pasteLongerThan > 0 && characters > static_cast<size_t>(m_pasteLongerThan)) {
    wchar_t program[MAX_PATH];
    char windowClass[64] = "";
    ForegroundProgram(program, MAX_PATH);
    GetClassNameA(GetForegroundWindow(), windowClass, sizeof windowClass);
    if (PastesInto(characters, m_pasteLongerThan, program, windowClass, m_alwaysTypeIn)) {
      if (!m_paster) m_paster.reset(new ClipboardPaster);
      std::string why;
      char line[256];
      if (m_paster->Paste(wide, &why)) {
        // Programs that render the clipboard late make the paste wait: the log says so.
        DWORD ms = m_paster->Saved().SaveMilliseconds();
        if (ms >= 100) {
          snprintf(line, sizeof line, "Type Text: keeping the clipboard's %u formats before the paste took %lu ms",
                   static_cast<unsigned>(m_paster->Saved().Formats()), static_cast<unsigned long>(ms));
          WriteLogLine(kLogNotice, line);
        }
        return 0;
      }
      snprintf(line, sizeof line, "Type Text: typed %u characters instead of pasting them: %s",
               static_cast<unsigned>(characters), why.c_str());
      WriteLogLine(kLogNotice, line);
    }
  }
  // One call: nothing the user types can land inside the text. Whether the system let the
  // input through is not looked at.
  SendTyped(BuildTextInput(wide));
  return 0;
}
