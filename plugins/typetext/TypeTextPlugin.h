// "Type Text": types a text exactly as written, whatever the keyboard layout. The text stays
// in UTF-8, as conf.xml holds it, and becomes UTF-16 only where it is edited (a Unicode edit)
// and where it is typed (Unicode keyboard input): it never passes through the system code
// page, so characters beyond it survive.
#ifndef TAMBRELPLUG_TYPETEXTPLUGIN_H
#define TAMBRELPLUG_TYPETEXTPLUGIN_H

#include <string>
#include <vector>

#include "ActionPlugin.h"

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

class TypeTextPlugin : public ActionPlugin<std::string> {  // the texts in UTF-8
 public:
  TypeTextPlugin();
  void Load(int actionId, xmlNode* firstChild) override;
  void Save(int actionId, xmlNode* element) override;

 protected:
  void AppendDebugInfo(std::string& text, bool forAction, int actionId) override;
  std::string ReadPage() override;
  void WritePage(const std::string& text) override;
  void ClearPage() override;
  int Run(const std::string& text) override;
  std::string Describe(const std::string& text) override;  // the first line; in a debug report, the length
};

#endif
