// The key sequence trigger, driven directly: a fake engine, synthetic key releases, and its
// page as a real window.
#include <gtest/gtest.h>
#include <libxml/tree.h>
#include <string.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "PluginResources.h"
#include "TriggerEngine.h"
#include "WidePath.h"
#include "sequence/SequencePlugin.h"
#include "sequence/ShortcutIndex.h"
#include "sequence/SuffixTrie.h"

namespace {

class Sequence : public ::testing::Test {
 protected:
  Sequence() {
    doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    plugin->SetEngine(&engine);
    plugin->SetEnabled(true);
    engine.notify = plugin->GetNotifyHandler();
  }
  ~Sequence() override {
    plugin->Release();
    xmlFreeDoc(doc);
  }

  // A binding's shortcut as conf.xml hands it over: the first child of its element, and
  // through it the element's program filter (an empty shortcut with one has an empty comment).
  void Load(int actionId, const char* text, const char* programs = nullptr) {
    xmlNode* element = xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("shortcut"), nullptr);
    xmlAddChild(element, xmlNewDocText(doc, reinterpret_cast<const xmlChar*>(text)));
    if (programs != nullptr) {
      xmlSetProp(element, reinterpret_cast<const xmlChar*>("programs"), reinterpret_cast<const xmlChar*>(programs));
      if (*text == '\0') xmlAddChild(element, xmlNewDocComment(doc, reinterpret_cast<const xmlChar*>("")));
    }
    shortcuts()->Load(actionId, element->children);
    xmlFreeNode(element);
  }
  ShortcutType* shortcuts() { return plugin->GetShortcutType(); }
  void Toggle() {
    plugin->GetNotifyHandler()->OnToggle(true);
    engine.calls.clear();
  }
  bool Key(DWORD vk, UINT message = WM_KEYUP) {
    KBDLLHOOKSTRUCT key = {};
    key.vkCode = vk;
    key.flags = message == WM_KEYUP || message == WM_SYSKEYUP ? LLKHF_UP : 0;
    return plugin->OnKeyEvent(&key, message);
  }
  void Type(const char* keys) {
    for (; *keys != '\0'; ++keys) Key(static_cast<unsigned char>(*keys));
  }
  std::string Saved(int actionId) {
    xmlNode* element = xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("shortcut"), nullptr);
    shortcuts()->Save(actionId, element);
    std::string text = element->children == nullptr ? "<none>" : reinterpret_cast<const char*>(element->children->content);
    xmlFreeNode(element);
    return text;
  }

  typedef std::vector<std::string> Calls;
  xmlDoc* doc;
  TriggerEngine engine;
  SequencePlugin* plugin = new SequencePlugin;
};

TEST_F(Sequence, LoadNormalisesTheStoredText) {
  struct Case {
    const char* stored;
    const char* kept;
  } cases[] = {
      {"note pad+1", "NOTE PAD1"},
      {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNO"},     // the first 15
      {"a.b.c.d.e.f.g.h.i.j.k.l.m.n.o.p", "ABCDEFGHIJKLMNO"},  // removed before the cut
      {"x-ray 9", "X-RAY 9"},
      {"caf\xC3\xA9!", "CAF"},  // UTF-8 in the file, nothing above 0x7F kept
      {"", ""},
  };
  int id = 1;
  for (const Case& c : cases) {
    Load(id, c.stored);
    EXPECT_STREQ(c.kept, shortcuts()->GetShortcutText(id)) << c.stored;
    EXPECT_EQ(c.kept[0] != '\0' ? std::string(c.kept) : std::string("<none>"), Saved(id)) << c.stored;
    ++id;
  }
}

TEST_F(Sequence, AnEmptyElementIsAnEmptyShortcutAndAnUnknownOneHasNone) {
  shortcuts()->Load(4, nullptr);  // <shortcut/> has no child
  EXPECT_STREQ("", shortcuts()->GetShortcutText(4));
  EXPECT_STREQ("Unknown", shortcuts()->GetShortcutText(5));
  EXPECT_EQ("<none>", Saved(5));
  EXPECT_STREQ("\t\t\n", plugin->GetDebugInfo(false, true, 5));
  EXPECT_STREQ("Unknown", shortcuts()->GetShortcutText(5));  // the debug text made no entry
  Load(6, "np");
  EXPECT_STREQ("\t\tNP\n", plugin->GetDebugInfo(false, true, 6));
  EXPECT_STREQ("\t\tNo additional information\n", plugin->GetDebugInfo(false, false, 0));
  EXPECT_EQ(nullptr, plugin->GetDebugInfo(true, false, 0));
}

TEST_F(Sequence, TheTypedShortcutRunsItsBindingOnceAndEndsTheToggle) {
  Load(7, "ab");
  Toggle();
  Type("B");
  EXPECT_EQ(Calls{}, engine.calls);
  EXPECT_FALSE(Key('A'));
  EXPECT_FALSE(Key('B'));  // never swallows: that is the engine's business
  EXPECT_EQ((Calls{"toggle off", "execute 7"}), engine.calls);
  EXPECT_STREQ("", plugin->TypedText());
  engine.calls.clear();
  Type("AB");  // no longer toggled
  EXPECT_EQ(Calls{}, engine.calls);
}

TEST_F(Sequence, OnlyReleasesOfTheShortcutKeysWhileToggledAndEnabledAreTyped) {
  struct Case {
    const char* what;
    DWORD vk;
    UINT message;
    const char* typed;
  } cases[] = {
      {"letter", 'Q', WM_KEYUP, "Q"},
      {"digit", '7', WM_KEYUP, "7"},
      {"space", VK_SPACE, WM_KEYUP, " "},
      {"main minus", VK_OEM_MINUS, WM_KEYUP, "-"},
      {"key press", 'Q', WM_KEYDOWN, ""},
      {"Alt combination", 'Q', WM_SYSKEYUP, ""},
      {"keypad digit", VK_NUMPAD7, WM_KEYUP, ""},
      {"keypad minus", VK_SUBTRACT, WM_KEYUP, ""},
      {"plus", VK_OEM_PLUS, WM_KEYUP, ""},
      {"shift", VK_SHIFT, WM_KEYUP, ""},
      {"left shift", VK_LSHIFT, WM_KEYUP, ""},
      {"enter", VK_RETURN, WM_KEYUP, ""},
  };
  for (const Case& c : cases) {
    Toggle();
    Key(c.vk, c.message);
    EXPECT_STREQ(c.typed, plugin->TypedText()) << c.what;
  }
  Toggle();
  plugin->SetEnabled(false);
  Key('Q');
  EXPECT_STREQ("", plugin->TypedText()) << "disabled";
  plugin->SetEnabled(true);
  plugin->GetNotifyHandler()->OnToggle(false);
  Key('Q');
  EXPECT_STREQ("", plugin->TypedText()) << "not toggled";
}

TEST_F(Sequence, TheTypedTextKeepsTheLastSixteenKeys) {
  Load(3, "FGHIJKLMNOPQRST");  // 15 characters, the end of the 20 typed below
  Load(4, "AFGHIJKLMNOPQRST");  // 16: longer than a shortcut can be, cut to "AFGHIJKLMNOPQRS"
  Load(5, "QRSTX");            // longer than anything typed that ends in it
  Toggle();
  Type("ABCDEFGHIJKLMNOPQRS");
  EXPECT_STREQ("DEFGHIJKLMNOPQRS", plugin->TypedText());
  EXPECT_EQ(Calls{}, engine.calls);
  Type("T");
  EXPECT_EQ((Calls{"toggle off", "execute 3"}), engine.calls);
}

TEST_F(Sequence, TheLongestShortcutRunsThenTheLowestActionId) {
  Load(9, "b");
  Load(8, "ab");
  Load(6, "ab");
  Load(2, "xab");  // longer than the typed text: never a match
  Toggle();
  Type("AB");
  EXPECT_EQ((Calls{"toggle off", "execute 6"}), engine.calls);

  shortcuts()->Remove(6);
  Toggle();
  Type("AB");
  EXPECT_EQ((Calls{"toggle off", "execute 8"}), engine.calls);

  Toggle();
  Type("CB");
  EXPECT_EQ((Calls{"toggle off", "execute 9"}), engine.calls);

  Load(8, "q");  // a new text replaces the old one in the matcher too
  Toggle();
  Type("AB");
  EXPECT_EQ((Calls{"toggle off", "execute 9"}), engine.calls);
}

TEST_F(Sequence, AnEmptyShortcutRunsOnlyWhenNothingLongerEndsTheText) {
  Load(1, "");
  Load(2, "k");
  Toggle();
  Type("K");
  EXPECT_EQ((Calls{"toggle off", "execute 2"}), engine.calls);
  Toggle();
  Type("J");
  EXPECT_EQ((Calls{"toggle off", "execute 1"}), engine.calls);
  Toggle();
  Key(VK_RETURN);  // adds no character: nothing ends
  EXPECT_EQ(Calls{}, engine.calls);
}

TEST_F(Sequence, TogglingClearsTheTypedText) {
  Load(1, "ab");
  Toggle();
  Type("A");
  plugin->GetNotifyHandler()->OnToggle(true);
  Type("B");
  EXPECT_EQ(Calls{}, engine.calls);
  EXPECT_STREQ("B", plugin->TypedText());
}

// The bindings that the next keys can complete: shortcuts that begin with an end of the
// typed text, each once, with the longest such end as its typed part; else every binding.
TEST_F(Sequence, SheetRowsBeginWithAnEndOfTheTypedText) {
  const char* texts[] = {"ABAX", "BAT", "AB", "Q", "ZZ", "ABA"};
  for (int id = 1; id <= 6; ++id) Load(id, texts[id - 1]);
  auto rows = [&](size_t max) {
    SheetRow found[8];
    size_t total = plugin->SheetRows(found, max);
    std::string text = std::to_string(total) + ":";
    for (size_t i = 0; i < std::min(total, max); ++i)
      text += std::string(" ") + found[i].shortcut + "/" + std::to_string(found[i].typed);
    return text;
  };
  Toggle();
  EXPECT_EQ("6: AB/0 ABA/0 ABAX/0 BAT/0 Q/0 ZZ/0", rows(8));
  EXPECT_EQ("6: AB/0 ABA/0", rows(2));
  Type("XA");  // "A" leads on, "XA" does not
  EXPECT_EQ("3: AB/1 ABA/1 ABAX/1", rows(8));
  Type("B");   // "XAB": AB fires
  EXPECT_EQ((Calls{"toggle off", "execute 3"}), engine.calls);
  Toggle();
  Type("Y");  // leads nowhere: everything
  EXPECT_EQ("6: AB/0 ABA/0 ABAX/0 BAT/0 Q/0 ZZ/0", rows(8));
  shortcuts()->Remove(3);
  Type("BA");  // "YBA": BA... leads to BAT, A to ABA and ABAX
  EXPECT_EQ("3: ABA/1 ABAX/1 BAT/2", rows(8));
  plugin->SetEnabled(false);
  EXPECT_EQ("0:", rows(8));
}

// Of the shortcuts that end the typed text, the longest; at equal length one for this
// program before one for every program; one for other programs neither fires nor blocks.
TEST_F(Sequence, ProgramFiltersChooseWhatFires) {
  Load(1, "NP");
  Load(2, "np", "notepad.exe");
  Load(3, "NP", "C:\\Office\\WINWORD.EXE ; notepad.exe");
  Load(4, "N", "winword.exe");
  Load(5, "", "calc.exe");
  auto fires = [&](const wchar_t* program, const char* keys) {
    Toggle();
    plugin->SetProgram(program);
    Type(keys);
    return engine.calls.size() == 2 ? engine.calls[1] : "nothing";
  };
  EXPECT_EQ("execute 2", fires(L"Notepad.exe", "NP"));  // N leaves notepad alone
  EXPECT_EQ("execute 4", fires(L"winword.exe", "NP"));
  EXPECT_EQ("execute 1", fires(L"other.exe", "NP"));
  EXPECT_EQ("execute 5", fires(L"calc.exe", "NP"));
  EXPECT_STREQ("NP [notepad.exe]", shortcuts()->GetShortcutText(2));
  EXPECT_STREQ("NP [WINWORD.EXE; notepad.exe]", shortcuts()->GetShortcutText(3));
  EXPECT_STREQ("NP", shortcuts()->GetShortcutText(1));

  // Written so that it reads back: the attribute only with a filter, and an empty shortcut
  // with one has an empty comment to lead the reader to it.
  auto written = [&](int actionId) {
    xmlNode* element = xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("shortcut"), nullptr);
    shortcuts()->Save(actionId, element);
    xmlBuffer* buffer = xmlBufferCreate();
    xmlNodeDump(buffer, doc, element, 0, 0);
    std::string text = reinterpret_cast<const char*>(buffer->content);
    xmlBufferFree(buffer);
    xmlFreeNode(element);
    return text;
  };
  EXPECT_EQ("<shortcut>NP</shortcut>", written(1));
  EXPECT_EQ("<shortcut programs=\"WINWORD.EXE;notepad.exe\">NP</shortcut>", written(3));
  EXPECT_EQ("<shortcut programs=\"calc.exe\"><!----></shortcut>", written(5));
}

// A binding can never fire when another one always fires first on the way to it. Checked
// against every typing up to one key longer than the longest shortcut, in every program, for
// random sets of shortcuts over three letters (empty, shared and filtered ones among them).
TEST_F(Sequence, ShadowedBindingsAreExactlyThoseNoTypingFires) {
  const char* filters[] = {nullptr, nullptr, "a.exe", "b.exe", "A.EXE; b.exe"};
  const wchar_t* programs[] = {L"a.exe", L"b.exe", L"c.exe"};
  srand(1208);
  for (int round = 0; round < 300; ++round) {
    SequencePlugin* fresh = new SequencePlugin;
    plugin->Release();
    plugin = fresh;
    plugin->SetEngine(&engine);
    plugin->SetEnabled(true);
    engine.notify = plugin->GetNotifyHandler();
    int count = 1 + rand() % 6;
    auto load = [&](int id, int length) {
      char text[4] = "";
      for (int i = 0; i < length; ++i) text[i] = static_cast<char>('A' + rand() % 3);
      Load(id, text, filters[rand() % 5]);
    };
    for (int id = 1; id <= count; ++id) load(id, rand() % 4);
    // Found once, the shadows are then looked at again after each edit for what it concerns.
    plugin->ShadowOf(1);
    load(1 + rand() % count, 2 + rand() % 2);
    load(count + 1, 2 + rand() % 2);
    plugin->ShadowOf(1);
    load(1 + rand() % count, 2 + rand() % 2);
    shortcuts()->Remove(count + 1);
    // Typings over four letters (D is bound by no shortcut), in each program.
    std::set<int> fired;
    for (const wchar_t* program : programs) {
      for (int length = 1, typings = 4; length <= 4; ++length, typings *= 4) {
        for (int code = 0; code < typings; ++code) {
          Toggle();
          plugin->SetProgram(program);
          for (int i = 0, rest = code; i < length && engine.calls.empty(); ++i, rest /= 4) Key('A' + rest % 4);
          if (engine.calls.size() == 2) fired.insert(atoi(engine.calls[1].c_str() + 8));
        }
      }
    }
    for (int id = 1; id <= count; ++id)
      EXPECT_EQ(fired.count(id) == 0, plugin->ShadowOf(id) != 0)
          << "round " << round << ", binding " << id << " (" << shortcuts()->GetShortcutText(id) << ")";
  }
}

TEST(SuffixTrie, RemovingEveryShortcutLeavesTheRootAlone) {
  SuffixTrie trie;
  char text[16];
  for (int id = 1; id <= 2000; ++id) {
    int n = snprintf(text, sizeof text, "K%dX%d", id % 97, id);
    trie.Add(text, static_cast<size_t>(n), id);
  }
  EXPECT_GT(trie.NodeCount(), 2000u);
  int found = 0;
  EXPECT_TRUE(trie.Match("ZZK5X5", 6, &found));
  EXPECT_EQ(5, found);
  for (int id = 1; id <= 2000; ++id) {
    int n = snprintf(text, sizeof text, "K%dX%d", id % 97, id);
    trie.Remove(text, static_cast<size_t>(n), id);
  }
  EXPECT_EQ(1u, trie.NodeCount());
  EXPECT_FALSE(trie.Match("ZZK5X5", 6, &found));
}

// Children of one node added out of alphabet order, one removed from the middle of the list
// and one from its head: the others are still found, and freed nodes are used again.
TEST(SuffixTrie, SiblingsAddedAndRemovedInAnyOrder) {
  SuffixTrie trie;
  const char* texts[] = {"XM", "AM", "-M", "9M", " M", "QM"};  // six children of "M"
  for (int id = 1; id <= 6; ++id) trie.Add(texts[id - 1], 2, id);
  size_t nodes = trie.NodeCount();
  EXPECT_EQ(8u, nodes);
  trie.Remove("9M", 2, 4);
  trie.Remove("AM", 2, 2);
  trie.Remove("AM", 2, 2);  // gone already: nothing changes
  EXPECT_EQ(nodes - 2, trie.NodeCount());
  int found = 0;
  for (int id : {1, 3, 5, 6}) {
    std::string typed = std::string("ZZ") + texts[id - 1];
    EXPECT_TRUE(trie.Match(typed.c_str(), typed.size(), &found)) << typed;
    EXPECT_EQ(id, found);
  }
  EXPECT_FALSE(trie.Match("9M", 2, &found));
  EXPECT_FALSE(trie.Match("AM", 2, &found));
  EXPECT_FALSE(trie.Match("M", 1, &found));  // an inner node ends no shortcut
  trie.Add("BM", 2, 7);
  trie.Add("AM", 2, 8);
  EXPECT_EQ(nodes, trie.NodeCount());
  EXPECT_TRUE(trie.Match("BM", 2, &found));
  EXPECT_EQ(7, found);
  EXPECT_TRUE(trie.Match("AM", 2, &found));
  EXPECT_EQ(8, found);
}

// Entries removed from the middle, the front and the end, while sorted and while not, and
// added again: the index lists exactly the bindings it holds, in shortcut order.
TEST(ShortcutIndex, RemovalsInAnyOrderKeepTheListWhole) {
  ShortcutIndex index;
  auto add = [&](int id, const char* text) { index.Add(id, text, strlen(text), nullptr); };
  auto listed = [&](const char* typed) {
    SheetRow rows[8];
    size_t total = index.Completions(typed, strlen(typed), 0, rows, 8);
    std::string text;
    for (size_t i = 0; i < total && i < 8; ++i) text += std::string(rows[i].shortcut) + ";";
    return text;
  };
  const char* texts[] = {"NP", "CA", "NQ", "BB", "NA", "ZZ", "N"};
  for (int id = 1; id <= 7; ++id) add(id, texts[id - 1]);
  EXPECT_EQ("BB;CA;N;NA;NP;NQ;ZZ;", listed(""));
  index.Remove(3);  // sorted now: from the middle
  index.Remove(1);
  EXPECT_EQ("BB;CA;N;NA;ZZ;", listed("X"));
  EXPECT_EQ("N;NA;", listed("N"));
  index.Remove(6);
  index.Remove(6);  // gone already: nothing changes
  index.Remove(4);
  add(8, "NB");
  index.Remove(5);
  EXPECT_EQ("N;NB;", listed("N"));
  EXPECT_EQ("CA;N;NB;", listed(""));
  for (int id : {7, 2, 8}) index.Remove(id);
  EXPECT_EQ("", listed(""));
  add(2, "CA");
  EXPECT_EQ("CA;", listed(""));
}

TEST(SuffixTrie, ActionIdsSharingAShortcut) {
  SuffixTrie trie;
  for (int id : {30, 10, 20, 40}) trie.Add("AB", 2, id);
  trie.Add("B", 1, 5);
  int found = 0;
  ASSERT_TRUE(trie.Match("AB", 2, &found));
  EXPECT_EQ(10, found);
  trie.Remove("AB", 2, 30);  // not the lowest
  trie.Remove("AB", 2, 99);  // never added
  trie.Match("AB", 2, &found);
  EXPECT_EQ(10, found);
  trie.Remove("AB", 2, 10);
  trie.Match("AB", 2, &found);
  EXPECT_EQ(20, found);
  trie.Remove("AB", 2, 20);
  trie.Match("AB", 2, &found);
  EXPECT_EQ(40, found);
  trie.Remove("AB", 2, 40);
  ASSERT_TRUE(trie.Match("AB", 2, &found));  // the shorter one ends it now
  EXPECT_EQ(5, found);
  EXPECT_EQ(2u, trie.NodeCount());
}

// --- The page -------------------------------------------------------------------------------

class SequencePage : public Sequence {
 protected:
  SequencePage() {
    parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    RECT rect = {10, 10, 310, 160};
    shortcuts()->CreatePage(parent, rect);
  }
  ~SequencePage() override {
    shortcuts()->DestroyPage();
    DestroyWindow(parent);
  }
  HWND Edit() { return GetDlgItem(plugin->PageWindow(), IDC_SEQUENCE_TEXT); }
  std::string EditText() {
    char text[64] = "";
    GetWindowTextA(Edit(), text, sizeof text);
    return text;
  }
  void SetClipboard(const char* text) {
    ASSERT_TRUE(OpenClipboard(parent));
    EmptyClipboard();
    size_t size = strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
  }
  std::string Clipboard() {
    std::string text;
    if (!OpenClipboard(parent)) return "<not open>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      text = static_cast<const char*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }

  HWND parent;
};

TEST_F(SequencePage, OnePageWindowShowsTheSelectedShortcut) {
  HWND page = plugin->PageWindow();
  ASSERT_NE(nullptr, page);
  shortcuts()->CreatePage(parent, RECT{0, 0, 100, 100});
  EXPECT_EQ(page, plugin->PageWindow());
  EXPECT_EQ(15, SendMessageA(Edit(), EM_GETLIMITTEXT, 0, 0));

  Load(3, "np");
  shortcuts()->Select(3);
  EXPECT_EQ("NP", EditText());
  shortcuts()->Select(0);
  EXPECT_EQ("", EditText());
  shortcuts()->Select(4);  // no entry
  EXPECT_EQ("", EditText());

  // Reopened with a binding selected: the page shows it at once.
  shortcuts()->Select(3);
  shortcuts()->DestroyPage();
  EXPECT_EQ(nullptr, plugin->PageWindow());
  shortcuts()->CreatePage(parent, RECT{0, 0, 100, 100});
  EXPECT_EQ("NP", EditText());
}

TEST_F(SequencePage, ApplyTakesAtMostFifteenCharactersNormalised) {
  // WM_SETTEXT passes the length limit, as a program other than the user could.
  SetWindowTextA(Edit(), "ab+cdefghijklmnopqrstuvwxyz");
  shortcuts()->Apply(5);
  EXPECT_STREQ("ABCDEFGHIJKLMN", shortcuts()->GetShortcutText(5));
  EXPECT_EQ("ABCDEFGHIJKLMN", EditText());
  EXPECT_EQ(5, plugin->CurrentAction());

  Toggle();
  Type("ABCDEFGHIJKLMN");
  EXPECT_EQ((Calls{"toggle off", "execute 5"}), engine.calls);
}

// A filter of names outside the system code page: two names that the code page would both
// show as "???????.exe" stay apart, match in any case, and go back to the file and the page
// whole.
TEST_F(SequencePage, AFilterOfNamesOutsideTheCodePageIsKeptWhole) {
  const char kNotepadUtf8[] = "\xD0\x91\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE\xD1\x82.exe";
  const std::wstring notepad = L"\u0411\u043b\u043e\u043a\u043d\u043e\u0442.exe";   // the same name
  const std::wstring exercise = L"\u0422\u0435\u0442\u0440\u0430\u0434\u044c.exe";  // as long
  Load(1, "NP", kNotepadUtf8);
  Load(2, "NP");
  auto fires = [&](const std::wstring& program) {
    Toggle();
    plugin->SetProgram(program.c_str());
    Type("NP");
    return engine.calls.size() == 2 ? engine.calls[1] : "nothing";
  };
  EXPECT_EQ("execute 1", fires(L"\u0411\u041b\u041e\u041a\u041d\u041e\u0422.EXE"));
  EXPECT_EQ("execute 2", fires(exercise));
  EXPECT_EQ("NP [" + ShownText(notepad) + "]", shortcuts()->GetShortcutText(1));

  xmlNode* element = xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("shortcut"), nullptr);
  shortcuts()->Save(1, element);
  xmlChar* saved = xmlGetProp(element, reinterpret_cast<const xmlChar*>("programs"));
  EXPECT_STREQ(kNotepadUtf8, reinterpret_cast<const char*>(saved));
  xmlFree(saved);
  xmlFreeNode(element);

  // The page shows the names and applies what is typed there, whole.
  HWND programs = GetDlgItem(plugin->PageWindow(), IDC_SEQUENCE_PROGRAMS);
  shortcuts()->Select(1);
  wchar_t text[64] = L"";
  GetWindowTextW(programs, text, 64);
  EXPECT_EQ(notepad, text);
  SetWindowTextW(programs, exercise.c_str());
  shortcuts()->Apply(1);
  EXPECT_EQ("execute 1", fires(exercise));
}

TEST_F(Sequence, ApplyWithoutAPageChangesNothing) {
  Load(5, "np");
  shortcuts()->Apply(5);
  shortcuts()->Apply(6);
  EXPECT_STREQ("NP", shortcuts()->GetShortcutText(5));
  EXPECT_STREQ("Unknown", shortcuts()->GetShortcutText(6));
}

TEST_F(SequencePage, TheEditTakesOnlyWhatAShortcutHolds) {
  struct Case {
    WPARAM c;
    const char* text;
  } cases[] = {{'x', "X"}, {'+', "X"}, {'7', "X7"}, {' ', "X7 "}, {'-', "X7 -"}, {'.', "X7 -"},
               {0xE9, "X7 -"}, {'B', "X7 -B"}, {8, "X7 -"}};
  for (const Case& c : cases) {
    SendMessageA(Edit(), WM_CHAR, c.c, 1);
    EXPECT_EQ(c.text, EditText()) << "character " << c.c;
  }
}

TEST_F(SequencePage, PasteEntersTheNormalisedTextAndLeavesTheClipboardAlone) {
  SetClipboard("ab+c");
  SendMessageA(Edit(), WM_PASTE, 0, 0);
  EXPECT_EQ("ABC", EditText());
  EXPECT_EQ("ab+c", Clipboard());
  SendMessageA(Edit(), WM_CHAR, 22, 1);  // Ctrl+V
  EXPECT_EQ("ABCABC", EditText());
  EXPECT_EQ("ab+c", Clipboard());

  // Within the limit, counting a selection as gone.
  SetWindowTextA(Edit(), "ABCDEFGHIJKLM");
  SetClipboard("wxyz");
  SendMessageA(Edit(), EM_SETSEL, 13, 13);
  SendMessageA(Edit(), WM_PASTE, 0, 0);
  EXPECT_EQ("ABCDEFGHIJKLMWX", EditText());
  SendMessageA(Edit(), EM_SETSEL, 0, 5);
  SendMessageA(Edit(), WM_PASTE, 0, 0);
  EXPECT_EQ("WXYZFGHIJKLMWX", EditText());
}

TEST_F(SequencePage, TheDialogManagerGetsThePagesMessages) {
  MSG msg = {};
  msg.hwnd = Edit();
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_TAB;
  EXPECT_NE(0, plugin->PreTranslateMessage(&msg));
  shortcuts()->DestroyPage();
  EXPECT_EQ(0, plugin->PreTranslateMessage(&msg));
}

}  // namespace
