// The log file: exact line format, nothing while logging is off, and its own failure.
#include <gtest/gtest.h>

#include <regex>

#include "EngineFixture.h"
#include "Messages.h"

namespace {

const char kStamp[] = R"(\[\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\])";

TEST(LogFile, NothingIsCreatedWhileLoggingIsOff) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  {
    TambrelEngine engine;
    ReportError("an error");
    engine.WriteLog(kLevelInfo, "a notice");
  }
  EXPECT_FALSE(FileExists(dir.File("tambrel.log")));
}

TEST(LogFile, LinesCarryStampAndLevelWord) {
  TempWorkDir dir({"cplugin_basic.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  {
    TambrelEngine engine;
    engine.Options().log = true;
    engine.WriteLog(kLevelError, "broken");
    engine.WriteLog(kLevelWarning, "careful");
    engine.WriteLog(7, "seven");
    engine.WriteLogFormat(kLevelInfo, "two\nlines %d", 2);
    ReportInfoFormat("While loading configuration: Unrecognized option %s", "colour");
  }
  std::string log = ReadWholeFile(dir.File("tambrel.log"));
  std::string s = kStamp;
  std::regex expected(s + " Error: broken\r\n" + s + " Warning: careful\r\n" + s +
                      " Log<7>: seven\r\n" + s + " Notice: two\r\nlines 2\r\n" + s +
                      " Notice: While loading configuration: Unrecognized option colour\r\n" + s +
                      " Notice: Tambrel shut down\r\n");
  EXPECT_TRUE(std::regex_match(log, expected)) << log;
}

TEST(LogFile, StartAndStopLeaveTwoNotices) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"),
                 "<tambrel version=\"2.01\"><options><option name=\"log\">yes</option></options>"
                 "<plugins/><actions/></tambrel>");
  { TambrelEngine engine; }
  std::string s = kStamp;
  EXPECT_TRUE(std::regex_match(ReadWholeFile(dir.File("tambrel.log")),
                               std::regex(s + " Notice: Tambrel started\r\n" + s +
                                          " Notice: Tambrel shut down\r\n")));
}

TEST(LogFile, UnopenableFileIsReportedAsABoxOnly) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  boxes.Clear();
  engine.Options().log = true;
  engine.Options().logFile = Wide(dir.File("missing\\tambrel.log"));
  gShowMessageBox[kLevelError - 1] = false;  // forced on for this one report
  engine.WriteLog(kLevelWarning, "lost");
  EXPECT_FALSE(gShowMessageBox[kLevelError - 1]);
  gShowMessageBox[kLevelError - 1] = true;
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("Can't open log file " + dir.File("missing\\tambrel.log"), boxes.Boxes()[0].text);
  EXPECT_EQ(MB_ICONERROR, boxes.Boxes()[0].type & MB_ICONMASK);
  EXPECT_TRUE(engine.Options().log);  // back on: the next entry tries again
  engine.WriteLog(kLevelWarning, "lost again");
  EXPECT_EQ(2u, boxes.Boxes().size());
  engine.Options().log = false;
}

}  // namespace
