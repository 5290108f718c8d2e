// The Type Text action: the input a text makes, what an edited text is stored as, and the
// text kept in UTF-8 from conf.xml through the page and back.
#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "PluginResources.h"
#include "XmlFragments.h"
#include "typetext/TypeTextPlugin.h"

namespace {

// "A" for a Unicode unit, "<Enter>" and "<Tab>" for keys; a release is marked with "^".
std::string Describe(const std::vector<INPUT>& input) {
  std::string text;
  for (const INPUT& key : input) {
    EXPECT_EQ(static_cast<DWORD>(INPUT_KEYBOARD), key.type);
    bool up = (key.ki.dwFlags & KEYEVENTF_KEYUP) != 0;
    if (key.ki.dwFlags & KEYEVENTF_UNICODE) {
      EXPECT_EQ(0, key.ki.wVk);
      char unit[16];
      snprintf(unit, sizeof unit, key.ki.wScan < 0x80 ? "%c" : "U+%04X", key.ki.wScan);
      text += unit;
    } else {
      EXPECT_EQ(static_cast<WORD>(MapVirtualKeyA(key.ki.wVk, MAPVK_VK_TO_VSC)), key.ki.wScan);
      text += key.ki.wVk == VK_RETURN ? "<Enter>" : key.ki.wVk == VK_TAB ? "<Tab>" : "<?>";
    }
    if (up) text += "^";
    text += ' ';
  }
  return text;
}

TEST(TypeTextInput, EveryUnitIsTypedAndReleasedLineBreaksAndTabsAreKeys) {
  const struct {
    const wchar_t* text;
    const char* input;
  } kCases[] = {
      {L"", ""},
      {L"Hi", "H H^ i i^ "},
      {L"\u00e9\u2192", "U+00E9 U+00E9^ U+2192 U+2192^ "},
      {L"a\r\nb\rc\nd", "a a^ <Enter> <Enter>^ b b^ <Enter> <Enter>^ c c^ <Enter> <Enter>^ d d^ "},
      {L"\n\n", "<Enter> <Enter>^ <Enter> <Enter>^ "},
      {L"\tx", "<Tab> <Tab>^ x x^ "},
      {L"\U0001F600", "U+D83D U+D83D^ U+DE00 U+DE00^ "},  // both units of a pair, in order
  };
  for (const auto& c : kCases) EXPECT_EQ(c.input, Describe(BuildTextInput(c.text))) << c.input;
}

TEST(TypeTextInput, StoredTextHasLfLineBreaksAndOnlyWhatXmlHolds) {
  EXPECT_EQ("a\nb\nc\n", StoredText(L"a\r\nb\rc\n"));
  EXPECT_EQ("\t\xC3\xA9\xE2\x86\x92\xF0\x9F\x98\x80", StoredText(L"\t\u00e9\u2192\U0001F600"));
  // Control characters, lone surrogates and the two non-characters are dropped.
  std::wstring bad = L"a\x01" L"b";
  bad += static_cast<wchar_t>(0xD800);
  bad += L"c";
  bad += static_cast<wchar_t>(0xDC00);
  bad += static_cast<wchar_t>(0xFFFF);
  bad += static_cast<wchar_t>(0xFFFE);
  EXPECT_EQ("abc", StoredText(bad));
  EXPECT_EQ("", StoredText(L""));
}

// Capitals, accents, symbols, Cyrillic, a line break and a character beyond the BMP.
const char kText[] = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x86\x92 \xE2\x9C\x93 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n"
                     "\xF0\x9F\x98\x80 end";

struct TypeTextPluginTest : ::testing::Test {
  void Load(int id, const char* xml) {
    xmlDocPtr doc;
    type->Load(id, Parse(&doc, xml)->children);
    xmlFreeDoc(doc);
  }
  TypeTextPlugin* plugin = new TypeTextPlugin;
  ActionType* type = plugin->GetActionType();
  ~TypeTextPluginTest() override { plugin->Release(); }
};

TEST_F(TypeTextPluginTest, KeepsTheTextInUtf8ThroughLoadAndSave) {
  EXPECT_STREQ("Text Action Plugin", static_cast<Plugin*>(plugin)->GetName());
  EXPECT_STREQ("Type Text", type->GetName());
  Load(1, (std::string("<actiontype>") + "Gr&#xFC;&#223;e &#x2192; \xE2\x9C\x93 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n"
           "<![CDATA[\xF0\x9F\x98\x80 end & ]]>&lt;end&gt;</actiontype>").c_str());
  EXPECT_EQ(std::string("<actiontype>") + kText + " &amp; &lt;end&gt;</actiontype>", Saved(type, 1));

  // The list and the report show the text in the system code page, "?" for what it lacks.
  std::string first = GetACP() == 1252 ? "Gr\xFC\xDF" "e ? ? ??????" : DisplayText(L"Gr\u00fc\u00dfe \u2192 \u2713 \u041f\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(first, type->GetActionText(1));
  EXPECT_EQ("\t\t" + first + "\n\t\t? end & <end>\n", std::string(plugin->GetDebugInfo(false, true, 1)));

  Load(2, "<actiontype>  \n\t </actiontype>");  // blanks are text too
  EXPECT_EQ("<actiontype>  \n\t </actiontype>", Saved(type, 2));
  Load(3, "<actiontype/>");
  EXPECT_EQ("<actiontype/>", Saved(type, 3));
  EXPECT_STREQ("", type->GetActionText(3));
  EXPECT_STREQ("Unknown", type->GetActionText(4));
}

TEST_F(TypeTextPluginTest, PageEditsTheWholeTextInAUnicodeEdit) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, parent);
  Load(1, (std::string("<actiontype>") + kText + "</actiontype>").c_str());
  type->Select(1);
  type->CreatePage(parent, RECT{0, 0, 300, 150});
  HWND page = GetWindow(parent, GW_CHILD);
  ASSERT_NE(nullptr, page);
  HWND edit = GetDlgItem(page, IDC_TYPETEXT_TEXT);
  ASSERT_NE(nullptr, edit);
  EXPECT_TRUE(IsWindowUnicode(edit));
  EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE);
  EXPECT_EQ(nullptr, GetWindow(edit, GW_HWNDNEXT));  // the template's edit is gone
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)),
            reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)));

  // The edit breaks lines at CR LF; what it holds is stored with LF, unchanged otherwise.
  const std::wstring shown = L"Gr\u00fc\u00dfe \u2192 \u2713 \u041f\u0440\u0438\u0432\u0435\u0442\r\n\U0001F600 end";
  WCHAR text[128] = L"";
  GetWindowTextW(edit, text, 128);
  EXPECT_EQ(shown, text);
  SetWindowTextW(edit, (shown + L"\r\n\u00e9").c_str());
  type->Apply(2);
  EXPECT_EQ(std::string(kText) + "\n\xC3\xA9", *plugin->Find(2));
  type->Select(0);
  EXPECT_EQ(0, GetWindowTextLengthW(edit));
  type->DestroyPage();
  DestroyWindow(parent);
}

}  // namespace
