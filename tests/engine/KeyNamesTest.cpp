// Key names: the built-in table, and the two lookups that plugins use to turn key names
// into virtual keys and back. The layout cases assume the US layout of the test display.
#include <gtest/gtest.h>

#include <string.h>

#include "EngineFixture.h"
#include "KeyNames.h"

namespace {

class KeyNames : public ::testing::Test {
 protected:
  TempWorkDir dir;  // no conf.xml: the engine starts with the built-in names
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
};

KeyInfo MakeKey(const char* name, int vk, const char* text) {
  KeyInfo key;
  memset(&key, 0, sizeof key);
  strncpy(key.name, name, sizeof key.name - 1);
  key.nameLength = static_cast<int>(strlen(key.name));
  strncpy(key.text, text, sizeof key.text - 1);
  key.vk = vk;
  return key;
}

// The whole record, padding bytes included: it is copied into plugins and conf.xml.
::testing::AssertionResult SameKey(const KeyInfo& expected, const KeyInfo& actual) {
  if (memcmp(&expected, &actual, sizeof expected) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected \"" << expected.name << "\" (" << expected.nameLength << ") \""
         << expected.text << "\" " << expected.vk << ", got \"" << actual.name << "\" ("
         << actual.nameLength << ") \"" << actual.text << "\" " << actual.vk;
}

TEST_F(KeyNames, BuiltInTableInOrder) {
  ASSERT_EQ(141u, kBuiltInKeyCount);
  struct Spot {
    size_t index;
    const char* name;
    int vk;
    const char* text;
  };
  const Spot spots[] = {
      {0, "BACKSPACE", 8, "BACKSPACE key"},
      {1, "BACK", 8, "BACKSPACE key"},
      {4, "RETURN", 13, "ENTER key"},
      {12, "CAPITAL", 20, "CAPS LOCK key"},
      {15, "SPACE", 32, "SPACEBAR"},
      {22, "END", 35, "END key"},
      {35, "LWIN", 91, "Left Windows key"},
      {38, "NUMPAD0", 96, "Numeric keypad 0 key"},
      {54, "F1", 112, "F1 key"},
      {77, "F24", 135, "F24 key"},
      {78, "NUMLOCK", 144, "NUM LOCK key"},
      {86, "LMENU", 164, "Left ALT key"},
      {89, "SLEEP", 95, "Computer Sleep key"},
      {94, "BROWSER_SEARCH", 170, "Browser Search key "},
      {114, "PA1", 253, "PA1 key"},
      {115, "OEM_CLEAR", 254, "Clear key"},
      {119, "CLEAR", 12, "CLEAR key"},
      {120, ";", 186, "; key"},
      {124, "\\", 220, "\\ key"},
      {126, "'", 222, "'"},
      {127, "OEM_8", 223, "Used for miscellaneous characters; it can vary by keyboard."},
      {128, "OEM_102", 226,
       "Either the angle bracket key or the backslash key on the RT 102-key keyboard"},
      {130, "IME_HANGUEL", 21, "IME Hanguel mode (maintained for compatibility; use HANGUL)"},
      {140, "IME_PROCESSKEY", 229, "IME PROCESS key"},
  };
  for (const Spot& spot : spots) {
    SCOPED_TRACE(spot.name);
    EXPECT_STREQ(spot.name, kBuiltInKeys[spot.index].name);
    EXPECT_EQ(spot.vk, kBuiltInKeys[spot.index].vk);
    EXPECT_STREQ(spot.text, kBuiltInKeys[spot.index].text);
  }

  // Without conf.xml the engine's table is exactly the built-in one.
  ASSERT_EQ(kBuiltInKeyCount, engine.Keys().size());
  for (size_t i = 0; i < kBuiltInKeyCount; ++i) {
    const BuiltInKey& key = kBuiltInKeys[i];
    SCOPED_TRACE(key.name);
    // KeyInfo holds 31 and 127 characters.
    ASSERT_LT(strlen(key.name), 32u);
    ASSERT_LT(strlen(key.text), 128u);
    EXPECT_TRUE(SameKey(MakeKey(key.name, key.vk, key.text), engine.Keys()[i]));
    // A name that an earlier entry already has could never be found.
    for (size_t j = 0; j < i; ++j) EXPECT_NE(0, _stricmp(kBuiltInKeys[j].name, key.name));
  }
}

TEST_F(KeyNames, EveryBuiltInNameAndCodeFindsItsFirstEntry) {
  for (size_t i = 0; i < kBuiltInKeyCount; ++i) {
    const BuiltInKey& key = kBuiltInKeys[i];
    SCOPED_TRACE(key.name);
    KeyInfo out;
    EXPECT_EQ(&out, engine.GetKeyByName(&out, key.name));
    EXPECT_TRUE(SameKey(engine.Keys()[i], out));
    size_t first = 0;
    while (kBuiltInKeys[first].vk != key.vk) ++first;
    EXPECT_EQ(&out, engine.GetKeyByCode(&out, key.vk));
    EXPECT_TRUE(SameKey(engine.Keys()[first], out));
  }
}

struct Lookup {
  const char* name;  // null: look up vk by code
  int vk;
  const char* wantName;
  int wantVk;
  const char* wantText;
};

TEST_F(KeyNames, LookupRules) {
  const Lookup cases[] = {
      // By code: the table first, then the layout, then "#%d".
      {nullptr, 13, "ENTER", 13, "ENTER key"},
      {nullptr, 'A', "A", 'A', "A key"},
      {nullptr, '7', "7", '7', "7 key"},
      {nullptr, VK_OEM_MINUS, "-", VK_OEM_MINUS, "- key"},
      {nullptr, VK_OEM_COMMA, ",", VK_OEM_COMMA, ", key"},
      {nullptr, VK_OEM_PERIOD, ".", VK_OEM_PERIOD, ". key"},
      {nullptr, VK_OEM_PLUS, "=", VK_OEM_PLUS, "= key"},
      {nullptr, 7, "#7", 7, "Key #7"},
      {nullptr, 0, "#0", 0, "Key #0"},
      {nullptr, 300, "#300", 300, "Key #300"},
      {nullptr, -1, "#-1", -1, "Key #-1"},
      // By name: the table ignoring case, whole names only.
      {"enter", 0, "ENTER", 13, "ENTER key"},
      {"RETURN", 0, "RETURN", 13, "ENTER key"},
      {"bRoWsEr_SeArCh", 0, "BROWSER_SEARCH", 170, "Browser Search key "},
      {"ENTE", 0, "#0", 0, "Key #0"},
      {"ENTER ", 0, "#0", 0, "Key #0"},
      {"NOSUCHKEY", 0, "#0", 0, "Key #0"},
      // "#number" is a code, whether or not the table has it.
      {"#65", 0, "A", 65, "A key"},
      {"#13", 0, "ENTER", 13, "ENTER key"},
      {"#8", 0, "BACKSPACE", 8, "BACKSPACE key"},
      {"#189", 0, "-", 189, "- key"},
      {"#7", 0, "#7", 7, "Key #7"},
      {"#0", 0, "#0", 0, "Key #0"},
      {"#99999999999", 0, "#2147483647", 2147483647, "Key #2147483647"},
      // One character that the table lacks: the key that types it.
      {"q", 0, "Q", 'Q', "Q key"},
      {"Q", 0, "Q", 'Q', "Q key"},
      {"-", 0, "-", VK_OEM_MINUS, "- key"},
      {"=", 0, "=", VK_OEM_PLUS, "= key"},
      {"#", 0, "3", '3', "3 key"},  // Shift+3 types it; the name is the unshifted key's
      {";", 0, ";", 186, "; key"},  // the table's own entry
  };
  for (const Lookup& c : cases) {
    SCOPED_TRACE(c.name != nullptr ? c.name : ("code " + std::to_string(c.vk)).c_str());
    KeyInfo out;
    memset(&out, 0xCC, sizeof out);
    KeyInfo* result =
        c.name != nullptr ? engine.GetKeyByName(&out, c.name) : engine.GetKeyByCode(&out, c.vk);
    EXPECT_EQ(&out, result);
    EXPECT_TRUE(SameKey(MakeKey(c.wantName, c.wantVk, c.wantText), out));
  }
}

TEST_F(KeyNames, TableFromConfigurationTakesTheFirstMatch) {
  engine.Keys() = {MakeKey("X", 88, "first"), MakeKey("x", 89, "second"),
                   MakeKey("LETTER", 65, "letter A"), MakeKey("ALSO", 65, "not this")};
  KeyInfo out;
  EXPECT_TRUE(SameKey(MakeKey("X", 88, "first"), *engine.GetKeyByName(&out, "x")));
  EXPECT_TRUE(SameKey(MakeKey("x", 89, "second"), *engine.GetKeyByCode(&out, 89)));
  EXPECT_TRUE(SameKey(MakeKey("LETTER", 65, "letter A"), *engine.GetKeyByName(&out, "#65")));
  // A longer name that this table lacks is key 0, whatever the built-in table says.
  EXPECT_TRUE(SameKey(MakeKey("#0", 0, "Key #0"), *engine.GetKeyByName(&out, "ENTER")));
}

}  // namespace
