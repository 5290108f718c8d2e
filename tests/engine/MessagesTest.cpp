// The message helpers, with the boxes captured.
#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "Messages.h"

namespace {

TEST(Messages, EachLevelShowsATambrelBoxWithItsIcon) {
  CapturedBoxes boxes;
  ReportError("e");
  ReportWarning("w");
  ReportInfo("i");
  ReportErrorFormat("%s %d", "e", 1);
  ReportWarningFormat("%s %d", "w", 2);
  ReportInfoFormat("%s %d", "i", 3);
  const UINT icons[] = {MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION};
  const char* texts[] = {"e", "w", "i", "e 1", "w 2", "i 3"};
  ASSERT_EQ(6u, boxes.Boxes().size());
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(texts[i], boxes.Boxes()[i].text);
    EXPECT_EQ("Tambrel", boxes.Boxes()[i].caption);
    EXPECT_EQ(MB_OK | icons[i % 3], boxes.Boxes()[i].type);
  }
}

TEST(Messages, LongFormattedTextIsNotCut) {
  CapturedBoxes boxes;
  std::string longText(5000, 'x');
  ReportWarningFormat("<%s>", longText.c_str());
  EXPECT_EQ("<" + longText + ">", boxes.Boxes()[0].text);
}

TEST(Messages, SwitchedOffLevelShowsNoBox) {
  CapturedBoxes boxes;
  gShowMessageBox[kLevelWarning - 1] = false;
  ReportWarning("hidden");
  gShowMessageBox[kLevelWarning - 1] = true;
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(Messages, BeforeAnyEngineNothingIsLogged) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  ASSERT_EQ(nullptr, TambrelEngine::Instance());
  ReportError("early");
  EXPECT_EQ(1u, boxes.Boxes().size());
  EXPECT_FALSE(FileExists(dir.File("tambrel.log")));
}

}  // namespace
