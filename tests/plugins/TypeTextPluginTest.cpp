// The Type Text action: the input a text makes, what an edited text is stored as, the text
// kept in UTF-8 through conf.xml, and the paste of long texts through the clipboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine.h"
#include "PlaceholderPlugin.h"
#include "TestSupport.h"
#include "WidePath.h"
#include "FakeEngine.h"
#include "XTools.h"
#include "PluginResources.h"
#include "TestClipboard.h"
#include "XmlFragments.h"
#include "typetext/ClipboardPaste.h"
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

// Long texts are pasted: above the threshold, outside consoles and the programs listed.
TEST(TypeTextPaste, OnlyTextsLongerThanTheThresholdArePastedAndNeverWhereTypingIsAsked) {
  const std::vector<std::wstring> list = {L"mintty.exe", L"cmd.exe", L"\u0422\u0435\u0440\u043c.exe"};
  EXPECT_FALSE(PastesInto(200, 200, L"notepad.exe", "Notepad", list));
  EXPECT_TRUE(PastesInto(201, 200, L"notepad.exe", "Notepad", list));
  EXPECT_FALSE(PastesInto(5000, 0, L"notepad.exe", "Notepad", list));  // 0: always typed
  EXPECT_FALSE(PastesInto(5000, 200, L"CMD.EXE", "Whatever", list));
  EXPECT_FALSE(PastesInto(5000, 200, L"\u0422\u0415\u0420\u041c.EXE", "Whatever", list));  // any script, any case
  EXPECT_TRUE(PastesInto(5000, 200, L"\u0422\u0435\u0440.exe", "Whatever", list));
  EXPECT_FALSE(PastesInto(5000, 200, L"python.exe", "ConsoleWindowClass", list));
  EXPECT_TRUE(PastesInto(5000, 200, L"", "", list));  // no foreground window: the paste goes nowhere, as keys would
  // A line break and a character beyond the BMP count one each.
  EXPECT_EQ(5u, CharacterCount(L"a\r\nb\n\U0001F600"));
  EXPECT_EQ(0u, CharacterCount(L""));
}

TEST(TypeTextPaste, ClipboardTextHasCrLfLineBreaks) {
  EXPECT_EQ(L"a\r\nb\r\nc\r\n\r\nd\t", ClipboardText(L"a\nb\r\nc\r\rd\t"));
}

TEST(TypeTextPlugin, PasteSettingsDefaultLoadSaveAndThePage) {
  TypeTextPlugin* plugin = new TypeTextPlugin;
  auto saved = [&] { return SavedSettings(plugin); };
  auto load = [&](const char* xml) {
    xmlDocPtr doc;
    plugin->LoadSettings(Parse(&doc, xml)->children);
    xmlFreeDoc(doc);
  };
  // Without the elements: 200, and the console and terminal hosts.
  load("<plugin/>");
  EXPECT_EQ(200, plugin->PasteLongerThan());
  EXPECT_EQ("<plugin><pastelongerthan>200</pastelongerthan><alwaystypein>" + ShownText(kDefaultAlwaysTypeIn) +
                "</alwaystypein></plugin>",
            saved());
  // An emptied list stays empty; numbers are clamped.
  load("<plugin><pastelongerthan>-5</pastelongerthan><alwaystypein/></plugin>");
  EXPECT_EQ(0, plugin->PasteLongerThan());
  EXPECT_TRUE(plugin->AlwaysTypeIn().empty());
  EXPECT_EQ("<plugin><pastelongerthan>0</pastelongerthan><alwaystypein></alwaystypein></plugin>", saved());
  load("<plugin><alwaystypein>a.exe; C:\\x\\B.EXE;a.exe</alwaystypein><pastelongerthan>30</pastelongerthan></plugin>");
  EXPECT_EQ(30, plugin->PasteLongerThan());
  EXPECT_EQ((std::vector<std::wstring>{L"a.exe", L"B.EXE"}), plugin->AlwaysTypeIn());

  // The page shows them and takes what is typed; an emptied number changes nothing.
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(plugin->HasSettingsPage());
  plugin->CreateSettingsPage(parent, RECT{0, 0, 300, 150});
  HWND page = GetWindow(parent, GW_CHILD);
  ASSERT_NE(nullptr, page);
  EXPECT_EQ(30u, GetDlgItemInt(page, IDC_TYPETEXT_PASTELONGER, nullptr, FALSE));
  char text[128];
  GetDlgItemTextA(page, IDC_TYPETEXT_ALWAYSTYPE, text, sizeof text);
  EXPECT_STREQ("a.exe; B.EXE", text);
  SetDlgItemTextA(page, IDC_TYPETEXT_PASTELONGER, "450");
  SetDlgItemTextA(page, IDC_TYPETEXT_ALWAYSTYPE, "term.exe");
  EXPECT_EQ(450, plugin->PasteLongerThan());
  EXPECT_EQ(std::vector<std::wstring>{L"term.exe"}, plugin->AlwaysTypeIn());
  const std::wstring cyrillic = L"\u0422\u0435\u0440\u043c.exe";  // kept whole, and written so
  SetDlgItemTextW(page, IDC_TYPETEXT_ALWAYSTYPE, cyrillic.c_str());
  EXPECT_EQ(std::vector<std::wstring>{cyrillic}, plugin->AlwaysTypeIn());
  EXPECT_EQ("<plugin><pastelongerthan>450</pastelongerthan><alwaystypein>\xD0\xA2\xD0\xB5\xD1\x80\xD0\xBC.exe"
            "</alwaystypein></plugin>",
            saved());
  SetDlgItemTextA(page, IDC_TYPETEXT_PASTELONGER, "");
  EXPECT_EQ(450, plugin->PasteLongerThan());
  plugin->DestroySettingsPage();
  EXPECT_EQ(nullptr, GetWindow(parent, GW_CHILD));
  DestroyWindow(parent);
  plugin->Release();
}

TEST(ClipboardSnapshot, PutsBackWhatItCopiedAndCopiesNothingBeyondItsLimits) {
  TestClipboard clipboard;
  const std::string bytes("\0\1\2\xFF tail", 8);
  ASSERT_TRUE(clipboard.Fill(L"before \u2713", bytes));
  std::vector<std::string> before = clipboard.Read();
  ASSERT_EQ(3u, before.size());
  EXPECT_EQ(bytes, before[1]);

  ClipboardSnapshot snapshot;
  std::string why;
  ASSERT_TRUE(OpenClipboard(clipboard.window));
  EXPECT_TRUE(snapshot.Save(kClipboardLimits, &why)) << why;
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ((std::vector<std::string>{"<none>", "<none>", "<none>"}), clipboard.Read());
  ASSERT_TRUE(OpenClipboard(clipboard.window));
  snapshot.Restore();
  KeepClipboardOutOfHistory();
  CloseClipboard();
  EXPECT_EQ(before, clipboard.Read());
  EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("CanIncludeInClipboardHistory")));

  // Too many formats, or too many bytes: nothing is kept, and the reason says which.
  ASSERT_TRUE(OpenClipboard(clipboard.window));
  EXPECT_FALSE(snapshot.Save(ClipboardLimits{1, 1 << 20, 1000}, &why));
  EXPECT_EQ("the clipboard holds more than 1 formats", why);
  EXPECT_EQ(0u, snapshot.Formats());
  EXPECT_FALSE(snapshot.Save(ClipboardLimits{64, 4, 1000}, &why));
  EXPECT_EQ("the clipboard holds more than 0 MB", why);
  CloseClipboard();
}

std::vector<std::vector<INPUT>> gSent;
void RecordKeys(const std::vector<INPUT>& input) { gSent.push_back(input); }

// The paster's three ends: the target reads the text, someone copies something new first,
// or nobody reads it and the timer puts the old contents back.
TEST(ClipboardPaster, PutsTheOldContentsBackOnceTheTextWasReadUnlessNewOnesCame) {
  TestClipboard clipboard;
  const std::string bytes("kept\0bytes", 10);
  ASSERT_TRUE(clipboard.Fill(L"before", bytes));
  std::vector<std::string> before = clipboard.Read();
  UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  gSent.clear();
  {
    ClipboardPaster paster(RecordKeys);
    std::string why;
    ASSERT_TRUE(paster.Paste(L"line 1\nline 2", &why)) << why;
    ASSERT_EQ(1u, gSent.size());
    ASSERT_EQ(4u, gSent[0].size());  // Ctrl+V, down and up
    EXPECT_EQ('V', gSent[0][1].ki.wVk);
    EXPECT_TRUE(paster.Pending());
    EXPECT_TRUE(IsClipboardFormatAvailable(history));
    EXPECT_FALSE(paster.Paste(L"second", &why));  // one at a time
    // A reader that names no window counts as the target: the text, then the old contents.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(std::wstring(L"line 1\r\nline 2"), static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_TRUE(PumpUntil([&] { return !paster.Pending(); }, 1000));
    EXPECT_EQ(before, clipboard.Read());
    EXPECT_TRUE(IsClipboardFormatAvailable(history));

    // Something new is copied before the text was read: it stays.
    ASSERT_TRUE(paster.Paste(L"unread", &why)) << why;
    ASSERT_TRUE(clipboard.Fill(L"newer", "n"));
    std::vector<std::string> newer = clipboard.Read();
    EXPECT_FALSE(paster.Pending());
    PumpFor(300);
    EXPECT_EQ(newer, clipboard.Read());

    // Nobody reads it: the old contents come back after a while.
    ASSERT_TRUE(clipboard.Fill(L"before", bytes));
    ASSERT_TRUE(paster.Paste(L"never read", &why)) << why;
    EXPECT_TRUE(PumpUntil([&] { return !paster.Pending(); }, 5000));
    EXPECT_EQ(before, clipboard.Read());

    // Held open by another window: no paste, and the clipboard is untouched.
    ASSERT_TRUE(OpenClipboard(clipboard.window));
    EXPECT_FALSE(paster.Paste(L"blocked", &why));
    EXPECT_EQ(0u, why.find("the clipboard could not be opened")) << why;
    CloseClipboard();
    EXPECT_EQ(before, clipboard.Read());

    // A paste still pending when the paster goes: the old contents are put back.
    ASSERT_TRUE(paster.Paste(L"going", &why)) << why;
  }
  EXPECT_EQ(before, clipboard.Read());
}

}  // namespace
