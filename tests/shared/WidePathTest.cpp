// The checked conversions between the system code page and UTF-16.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "WidePath.h"

namespace {

TEST(WidePath, ConversionsSayWhenAPathDidNotComeThroughWhole) {
  if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252; this system has " << GetACP();
  std::wstring wide = L"x";
  EXPECT_TRUE(WideFromAnsi("", &wide));
  EXPECT_EQ(L"", wide);
  EXPECT_TRUE(WideFromAnsi("C:\\Caf\xE9\\a.exe", &wide));
  EXPECT_EQ(L"C:\\Caf\u00e9\\a.exe", wide);

  std::string text = "x";
  EXPECT_TRUE(AnsiFromWide(L"", &text));
  EXPECT_EQ("", text);
  EXPECT_TRUE(AnsiFromWide(L"C:\\Caf\u00e9", &text));
  EXPECT_EQ("C:\\Caf\xE9", text);
  // Cyrillic is not in 1252; no look-alike stands in for a character either (U+0100, A with
  // macron, would best-fit to A).
  EXPECT_FALSE(AnsiFromWide(L"C:\\\u041c\u0438\u0440", &text));
  EXPECT_EQ("C:\\???", text);
  EXPECT_FALSE(AnsiFromWide(L"\u0100", &text));
  EXPECT_EQ("?", text);
}

}  // namespace
