// "Type Text": types a text exactly as written, whatever the keyboard layout. The text stays
// in UTF-8, as conf.xml holds it, and becomes UTF-16 only where it is edited (a Unicode edit)
// and where it is typed (Unicode keyboard input) or pasted (the clipboard's Unicode text): it
// never passes through the system code page, so characters beyond it survive. A long text
// is pasted, which takes a moment where typing it takes seconds, except into programs that
// do not paste (consoles, terminals).
#ifndef TAMBRELPLUG_TYPETEXTPLUGIN_H
#define TAMBRELPLUG_TYPETEXTPLUGIN_H

#include <memory>
#include <string>
#include <vector>

#include "ActionPlugin.h"
#include "ProgramFilter.h"

class ClipboardPaster;
class TypeTextSettingsPage;

std::wstring Utf8ToUtf16(const std::string& text);
// An edited text as it is stored: each line break (CR LF, CR or LF) becomes LF, and what XML
// cannot hold (control characters other than tab and line breaks, unpaired surrogates,
// U+FFFE and U+FFFF) is dropped, so that conf.xml keeps exactly what is typed.
std::string StoredText(const std::wstring& edited);
// A text for the 8-bit texts of the contract: one "?" for each character the system code
// page lacks.
std::string DisplayText(const std::wstring& text);

// The keyboard input that types text: a line break (CR LF, CR or LF) as Enter, a tab as Tab,
// every other UTF-16 unit as a Unicode key press and its release. Each key pressed is
// released again; nothing is held afterwards.
std::vector<INPUT> BuildTextInput(const std::wstring& text);

// The characters of a text as the user counts them: a line break (CR LF too) or a character
// beyond the BMP is one.
size_t CharacterCount(const std::wstring& text);

// The programs typed into by default: console and terminal hosts, whose Ctrl+V is no paste.
extern const wchar_t kDefaultAlwaysTypeIn[];

// Whether a text of this many characters is pasted into the foreground window of this
// program (a file name) and window class: it is longer than longerThan (0: never), and the
// program is none of alwaysTypeIn and no console.
bool PastesInto(size_t characters, int longerThan, const wchar_t* program, const char* windowClass,
                const std::vector<std::wstring>& alwaysTypeIn);

class TypeTextPlugin : public ActionPlugin<std::string> {  // the texts in UTF-8
 public:
  TypeTextPlugin();
  ~TypeTextPlugin() override;
  void Load(int actionId, xmlNode* firstChild) override;
  void Save(int actionId, xmlNode* element) override;

  // The general settings: <pastelongerthan> (0 always types) and <alwaystypein> (program
  // file names, ";" between them) in the plugin's element.
  void LoadSettings(xmlNode* firstChild) override;
  void SaveSettings(xmlNode* pluginElement) override;
  bool HasSettingsPage() override { return true; }
  void CreateSettingsPage(HWND parent, RECT rect) override;
  void DestroySettingsPage() override;
  LRESULT PreTranslateMessage(MSG* msg) override;

  int PasteLongerThan() const { return m_pasteLongerThan; }
  void SetPasteLongerThan(int characters);
  const std::vector<std::wstring>& AlwaysTypeIn() const { return m_alwaysTypeIn; }
  void SetAlwaysTypeIn(const std::wstring& list) { m_alwaysTypeIn = ParsePrograms(list); }
  // The paste under way, if any, for the tests: null before the first.
  ClipboardPaster* Paster() const { return m_paster.get(); }

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;
  std::string ReadPage() override;
  void WritePage(const std::string& text) override;
  void ClearPage() override;
  int Run(const std::string& text) override;
  std::string Describe(const std::string& text) override;  // the first line; in a debug report, the length

 private:
  bool SettingsPageOpen() const;

  int m_pasteLongerThan = 200;
  std::vector<std::wstring> m_alwaysTypeIn;
  std::unique_ptr<ClipboardPaster> m_paster;  // made at the first paste
  TypeTextSettingsPage* m_settingsPage = nullptr;  // while this plugin has it open
};

#endif
