// The Type Text action: the input a text makes, what an edited text is stored as, and the
// text kept in UTF-8 through conf.xml.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine.h"
#include "PlaceholderPlugin.h"
#include "TestSupport.h"
#include "XmlFragments.h"
#include "typetext/TypeTextPlugin.h"

namespace {

// "x" or "U+2192" for a Unicode unit, "<13>" for a key by code; "^" marks a release.
std::string Describe(const std::vector<INPUT>& input) {
  std::string text;
  for (const INPUT& key : input) {
    bool unicode = (key.ki.dwFlags & KEYEVENTF_UNICODE) != 0;
    char one[16];
    snprintf(one, sizeof one, unicode ? (key.ki.wScan < 0x80 ? "%c" : "U+%04X") : "<%d>",
             unicode ? key.ki.wScan : key.ki.wVk);
    text += std::string(one) + (key.ki.dwFlags & KEYEVENTF_KEYUP ? "^ " : " ");
    if (!unicode) {
      EXPECT_EQ(MapVirtualKeyA(key.ki.wVk, MAPVK_VK_TO_VSC), key.ki.wScan);
    }
  }
  return text;
}

TEST(TypeTextInput, EveryUnitIsTypedAndReleasedLineBreaksAndTabsAreKeys) {
  const struct {
    const wchar_t* text;
    const char* input;
  } kCases[] = {
      {L"", ""},
      {L"Hi\u00e9\u2192", "H H^ i i^ U+00E9 U+00E9^ U+2192 U+2192^ "},
      {L"a\r\nb\rc\n\n", "a a^ <13> <13>^ b b^ <13> <13>^ c c^ <13> <13>^ <13> <13>^ "},  // CR LF is one
      {L"\tx", "<9> <9>^ x x^ "},
      {L"\U0001F600", "U+D83D U+D83D^ U+DE00 U+DE00^ "},  // both units of a pair, in order
  };
  for (const auto& c : kCases) EXPECT_EQ(c.input, Describe(BuildTextInput(c.text))) << c.input;
}

TEST(TypeTextInput, StoredTextHasLfLineBreaksAndOnlyWhatXmlHolds) {
  EXPECT_EQ("a\nb\nc\n\t\xC3\xA9\xF0\x9F\x98\x80", StoredText(L"a\r\nb\rc\n\t\u00e9\U0001F600"));
  // Control characters, unpaired surrogates and the two non-characters are dropped.
  const wchar_t bad[] = {L'a', 0x01, 0xD800, L'b', 0xDC00, 0xFFFE, 0xFFFF, 0};
  EXPECT_EQ("ab", StoredText(bad));
}

TEST(TypeTextPlugin, KeepsTheTextInUtf8AndShowsItsFirstLineInTheCodePage) {
  TypeTextPlugin* plugin = new TypeTextPlugin;
  ActionType* type = plugin->GetActionType();
  auto load = [&](int id, const std::string& xml) {
    xmlDocPtr doc;
    type->Load(id, Parse(&doc, xml.c_str())->children);
    xmlFreeDoc(doc);
  };
  // Capitals, accents, symbols, Cyrillic, a line break and a character beyond the BMP, in
  // character references, raw UTF-8 and CDATA.
  load(1, "<actiontype>Gr&#xFC;&#223;e &#x2192; \xE2\x9C\x93 \xD0\x9C\xD0\xB8\xD1\x80\n"
          "<![CDATA[\xF0\x9F\x98\x80 & ]]>&lt;end&gt;</actiontype>");
  EXPECT_EQ("<actiontype>Gr\xC3\xBC\xC3\x9F" "e \xE2\x86\x92 \xE2\x9C\x93 \xD0\x9C\xD0\xB8\xD1\x80\n"
            "\xF0\x9F\x98\x80 &amp; &lt;end&gt;</actiontype>",
            Saved(type, 1));
  if (GetACP() == 1252) {
    EXPECT_STREQ("Gr\xFC\xDF" "e ? ? ???", type->GetActionText(1));
  }
  load(2, "<actiontype>  \n\t </actiontype>");  // blanks are text too
  EXPECT_EQ("<actiontype>  \n\t </actiontype>", Saved(type, 2));
  load(3, "<actiontype/>");
  EXPECT_EQ("<actiontype/>", Saved(type, 3));
  plugin->Release();
}

// People keep passwords and signatures in Type Text bindings: the debug report, a file that
// gets sent around, names only how long the text is, also in the binding's heading. The
// list shows the first line again afterwards.
TEST(TypeTextReport, TheDebugReportShowsTheLengthOfATextNeverTheText) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  WriteWholeFile(dir.File("conf.xml"),
                 "<tambrel version=\"2.01\"><options><option name=\"hookactive\">no</option></options>"
                 "<plugins/><actions/></tambrel>");
  PlaceholderPlugin shortcuts;
  {
    TambrelEngine engine;
    TypeTextPlugin* plugin = new TypeTextPlugin;  // released by the engine
    auto add = [&](Plugin* p, const char* guid, int types) {
      PluginRecord record = {};
      CopyGuid(record.guid, guid);
      record.name = p->GetName();
      record.types = types;
      record.plugin = p;
      return engine.Registry().Add(record);
    };
    int shortcutId = add(&shortcuts, "{00000000-0000-0000-0000-000000000001}", PLUGIN_SHORTCUTTYPE);
    int typeTextId = add(plugin, plugin->GetGuid(), PLUGIN_ACTIONTYPE);
    xmlDocPtr doc;  // 21 characters
    const char* xml = "<actiontype>hunter2 \xC3\xA4\xF0\x9F\x98\x80\nYours, Ann</actiontype>";
    plugin->GetActionType()->Load(engine.AddAction({shortcutId, typeTextId}), Parse(&doc, xml)->children);
    xmlFreeDoc(doc);
    std::string listed = plugin->GetActionType()->GetActionText(1);
    EXPECT_EQ(0u, listed.find("hunter2 "));
    engine.WriteDebugReport();
    EXPECT_EQ(listed, plugin->GetActionType()->GetActionText(1));
  }
  std::string report = ReadWholeFile(dir.File("debug.txt"));
  EXPECT_NE(std::string::npos, report.find("Unknown Shortcut -> Text: 21 characters (#1):\r\n")) << report;
  EXPECT_NE(std::string::npos, report.find("\tAction plugin debug info:\r\n\t\tText: 21 characters\r\n")) << report;
  for (const char* secret : {"hunter", "Ann"}) EXPECT_EQ(std::string::npos, report.find(secret)) << secret;
}

}  // namespace
