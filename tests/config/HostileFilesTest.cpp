// conf.xml files made to hurt: entity expansion (nested, quadratic, in attributes, in what a
// missing plugin keeps), parameter and external entities, deep nesting. Each is refused as a
// bad file with its line, left as it was, and its load stays small: libxml2's memory is
// counted while the engine starts on it.
#include <gtest/gtest.h>

#include <libxml/globals.h>
#include <libxml/xmlmemory.h>
#include <malloc.h>
#include <string.h>

#include "EngineFixture.h"

namespace {

// libxml2's allocations, counted by their real sizes, so that blocks made before counting
// began may be freed while it runs.
LONGLONG gLive, gPeak;

void Count(LONGLONG change) {
  gLive += change;
  if (gLive > gPeak) gPeak = gLive;
}
void* XMLCALL CountedMalloc(size_t size) {
  void* block = malloc(size);
  if (block != nullptr) Count(static_cast<LONGLONG>(_msize(block)));
  return block;
}
void* XMLCALL CountedRealloc(void* block, size_t size) {
  LONGLONG old = block != nullptr ? static_cast<LONGLONG>(_msize(block)) : 0;
  void* moved = realloc(block, size);
  if (moved != nullptr) Count(static_cast<LONGLONG>(_msize(moved)) - old);
  return moved;
}
void XMLCALL CountedFree(void* block) {
  if (block != nullptr) Count(-static_cast<LONGLONG>(_msize(block)));
  free(block);
}
char* XMLCALL CountedStrdup(const char* text) {
  size_t size = strlen(text) + 1;
  char* copy = static_cast<char*>(CountedMalloc(size));
  if (copy != nullptr) memcpy(copy, text, size);
  return copy;
}

class CountedXmlMemory {
 public:
  CountedXmlMemory() {
    xmlMemGet(&m_free, &m_malloc, &m_realloc, &m_strdup);
    xmlMemSetup(CountedFree, CountedMalloc, CountedRealloc, CountedStrdup);
  }
  ~CountedXmlMemory() { xmlMemSetup(m_free, m_malloc, m_realloc, m_strdup); }
  void Restart() { gLive = gPeak = 0; }
  LONGLONG Peak() const { return gPeak; }

 private:
  xmlFreeFunc m_free;
  xmlMallocFunc m_malloc;
  xmlReallocFunc m_realloc;
  xmlStrdupFunc m_strdup;
};

struct Hostile {
  const char* file;
  const char* reason;  // what follows the file name in the first report
};

TEST(HostileFiles, AreRefusedWithTheirLineLeftAloneAndLoadSmall) {
  const LONGLONG kLimit = 64LL * 1024 * 1024;
  const std::string entities = "The file declares entities (<!ENTITY ...>), which Tambrel does not read.";
  const Hostile files[] = {
      {"billion-laughs.xml", "Line 3: "},
      {"quadratic-attribute.xml", "Line 2: "},
      {"quadratic-text.xml", "Line 2: "},
      {"parameter-entity.xml", "Line 2: "},
      {"external-entity.xml", "Line 2: "},
      {"deep-nesting.xml", nullptr},
  };
  CountedXmlMemory memory;
  for (const Hostile& f : files) {
    SCOPED_TRACE(f.file);
    std::string contents = ReadWholeFile(ProgramFolder() + "\\hostile\\" + f.file);
    ASSERT_FALSE(contents.empty());
    TempWorkDir dir;
    CapturedBoxes boxes;
    FakeHooks hooks;
    WriteWholeFile(dir.File("secret.txt"), "SECRET");
    WriteWholeFile(dir.File("conf.xml"), contents);
    memory.Restart();
    {
      TambrelEngine engine;
      EXPECT_FALSE(engine.IsStarted());
    }
    EXPECT_LT(memory.Peak(), kLimit);
    std::vector<std::string> texts = boxes.Texts();
    ASSERT_EQ(3u, texts.size());  // no plugin library, the file, the start-up
    std::string open = "Couldn't open configuration file " + dir.File("conf.xml") + "!\n\n";
    EXPECT_EQ(open, texts[1].substr(0, open.size()));
    if (f.reason != nullptr)
      EXPECT_EQ(open + f.reason + entities, texts[1]);
    else
      EXPECT_EQ(0u, texts[1].find(open + "Line "));
    EXPECT_EQ("Couldn't load configuration!", texts[2]);
    EXPECT_EQ(contents, ReadWholeFile(dir.File("conf.xml")));
    EXPECT_FALSE(FileExists(dir.File("conf.xml.new")));
  }
}

// A DOCTYPE without entities is no harm: the file loads, and Tambrel writes none back.
TEST(HostileFiles, ADoctypeWithoutEntitiesLoadsAndIsNotWritten) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"),
                 "<?xml version=\"1.0\"?><!DOCTYPE tambrel SYSTEM \"tambrel.dtd\" [<!ELEMENT tambrel ANY>]>"
                 "<tambrel version=\"2.01\"><options><option name=\"autoshow\">yes</option></options>"
                 "<plugins/><actions/></tambrel>");
  {
    TambrelEngine engine;
    ASSERT_TRUE(engine.IsStarted());
    EXPECT_TRUE(engine.Options().autoShow);
    engine.Options().autoShow = false;
  }
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_EQ(std::string::npos, written.find("DOCTYPE"));
  EXPECT_NE(std::string::npos, written.find("\"autoshow\">no<"));
}

}  // namespace
