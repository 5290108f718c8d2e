// migrator.exe run as a child process on old bindings files written into a temporary folder.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <stdint.h>

#include "EngineFixture.h"
#include "TestSupport.h"
#include "WidePath.h"

namespace {

struct Result {
  DWORD status = 0xFFFFFFFF;
  std::string out;
  std::string err;
};

// migrator.exe with its standard input, output and error on pipes.
class Child {
 public:
  explicit Child(const std::string& arguments) : Child(Wide(arguments)) {}
  explicit Child(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childIn, childOut, childErr;
    CreatePipe(&childIn, &m_in, &inherit, 0);
    CreatePipe(&m_out, &childOut, &inherit, 0);
    CreatePipe(&m_err, &childErr, &inherit, 0);
    for (HANDLE mine : {m_in, m_out, m_err}) SetHandleInformation(mine, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = childErr;
    std::wstring program = Wide(ProgramFolder() + "\\migrator.exe");
    std::wstring line = L"\"" + program + L"\"" + arguments;
    m_started = CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &m_process);
    for (HANDLE theirs : {childIn, childOut, childErr}) CloseHandle(theirs);
  }
  ~Child() {
    CloseInput();
    if (m_started && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(m_process.hProcess, 99);
    }
    for (HANDLE handle : {m_process.hThread, m_process.hProcess, m_out, m_err}) {
      if (handle != nullptr) CloseHandle(handle);
    }
  }
  bool Started() const { return m_started; }
  const std::string& Output() const { return m_result.out; }
  void Write(const std::string& text) {
    DWORD written;
    WriteFile(m_in, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  void CloseInput() {
    if (m_in != nullptr) CloseHandle(m_in);
    m_in = nullptr;
  }
  bool RunningAfter(DWORD ms) {
    Pump(ms);
    return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
  }
  // Closes standard input, then reads both outputs until the program has ended.
  Result Finish() {
    CloseInput();
    Pump(20000);
    WaitForSingleObject(m_process.hProcess, 5000);
    GetExitCodeProcess(m_process.hProcess, &m_result.status);
    return m_result;
  }

 private:
  // Both pipes are read in turn so that a full one never blocks the program.
  void Pump(DWORD ms) {
    DWORD began = GetTickCount();
    while (GetTickCount() - began < ms && (m_outOpen || m_errOpen)) {
      m_outOpen = m_outOpen && Drain(m_out, &m_result.out);
      m_errOpen = m_errOpen && Drain(m_err, &m_result.err);
      Sleep(1);
    }
  }
  // False once the program's end is closed and everything is read.
  static bool Drain(HANDLE pipe, std::string* into) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    char buffer[4096];
    DWORD n;
    while (available > 0 && ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
      into->append(buffer, n);
      available = n < available ? available - n : 0;
    }
    return true;
  }

  HANDLE m_in = nullptr, m_out = nullptr, m_err = nullptr;
  PROCESS_INFORMATION m_process = {};
  bool m_started = false;
  bool m_outOpen = true, m_errOpen = true;
  Result m_result;
};

Result Migrate(const std::string& file) {
  TempWorkDir dir;
  WriteWholeFile(dir.File("old.dat"), file);
  Child child(" \"" + dir.File("old.dat") + "\"");
  EXPECT_TRUE(child.Started());
  return child.Finish();
}

// One record of the old format; the name field is padded with NULs to its 80 bytes.
std::string Record(unsigned nameLength, const std::string& name, unsigned type,
                   uint32_t dataLength, const std::string& data) {
  std::string record(1, static_cast<char>(nameLength));
  record += name.substr(0, 80);
  record.resize(81, '\0');
  record += static_cast<char>(type);
  for (int i = 0; i < 4; ++i) record += static_cast<char>((dataLength >> (8 * i)) & 0xFF);
  return record + data;
}
std::string Record(const std::string& name, unsigned type, const std::string& data) {
  return Record(name.size(), name, type, data.size(), data);
}

// Standard output is in text mode: every line feed reaches the file as CR LF.
std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}
std::string Document(const std::string& actions) {
  return Crlf("<?xml version=\"1.0\"?>\n<tambrel version=\"2.0\">\n  <options>\n  </options>\n"
              "  <plugins>\n  </plugins>\n  <actions>\n" +
              actions + "  </actions>\n</tambrel>");
}
std::string Execute(const std::string& key, const std::string& command,
                    const std::string& parameter, const std::string& dir) {
  return "    <action plugin=\"{CC0F56FA-93FA-49E0-B66F-167B15808C3E}\" key=\"" + key +
         "\">\n      <command>" + command + "</command>\n      <parameter>" + parameter +
         "</parameter>\n      <dir>" + dir + "</dir>\n    </action>\n";
}
std::string Macro(const std::string& key, const std::string& text) {
  return "    <action plugin=\"{92DF9468-C0AE-4198-91C8-53296E9EA06E}\" key=\"" + key +
         "\">\n      <command>" + text + "</command>\n    </action>\n";
}

// Parses as XML 1.0 with a "tambrel" root.
::testing::AssertionResult WellFormed(const std::string& text) {
  xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "out.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) {
    const xmlError* error = xmlGetLastError();
    return ::testing::AssertionFailure() << "not well-formed: " << (error ? error->message : "?");
  }
  xmlNodePtr root = xmlDocGetRootElement(doc);
  bool tambrel = root != nullptr && xmlStrcmp(root->name, BAD_CAST "tambrel") == 0;
  xmlFreeDoc(doc);
  if (!tambrel) return ::testing::AssertionFailure() << "no tambrel root";
  return ::testing::AssertionSuccess();
}

struct Case {
  const char* what;
  std::string file;
  std::string actions;  // between the start and the end text
  DWORD status;
  const char* error;  // a part of standard error; "" when it must stay empty
};

void Check(const Case& c) {
  SCOPED_TRACE(c.what);
  Result result = Migrate(c.file);
  EXPECT_EQ(c.status, result.status);
  EXPECT_EQ(Document(c.actions), result.out);
  if (*c.error == '\0') {
    EXPECT_EQ("", result.err);
  } else {
    EXPECT_NE(std::string::npos, result.err.find(c.error)) << result.err;
  }
  EXPECT_TRUE(WellFormed(result.out));
}

TEST(Migrator, ConvertsRecordsToActions) {
  const std::string z = "\x1A";
  const Case cases[] = {
      {"empty file", "", "", 0, ""},
      {"command alone", Record("np", 0, "notepad.exe"), Execute("np", "notepad.exe", "", ""), 0, ""},
      {"all three parts", Record("np", 0, "notepad.exe?a.txt?C:\\docs"),
       Execute("np", "notepad.exe", "a.txt", "C:\\docs"), 0, ""},
      {"adjacent separators", Record("x", 0, "cmd??C:\\dir"), Execute("x", "cmd", "", "C:\\dir"), 0, ""},
      {"parameter without dir", Record("x", 0, "cmd?par"), Execute("x", "cmd", "par", ""), 0, ""},
      {"empty data", Record("x", 0, ""), Execute("x", "", "", ""), 0, ""},
      {"macro keeps its separators", Record("m", 1, "a?b?c?d"), Macro("m", "a?b?c?d"), 0, ""},
      {"markup in name and data", Record("a&<\">", 0, "x&y<z\"w>?p&q"),
       Execute("a&amp;&lt;&quot;&gt;", "x&amp;y&lt;z&quot;w&gt;", "p&amp;q", ""), 0, ""},
      {"not converted", Record("x", 152, "d") + Record("My Settings and Parameters!", 1, "c") +
       Record("ok", 1, "m"), Macro("ok", "m"), 0, ""},
      {"empty name, order kept", Record("", 1, "a") + Record("b", 1, "c"),
       Macro("", "a") + Macro("b", "c"), 0, ""},
      {"name length 255 clamped", Record(255, std::string(80, 'n'), 1, 1, "m"),
       Macro(std::string(79, 'n'), "m"), 0, ""},
      {"name length 80 clamped", Record(80, std::string(80, 'n'), 1, 1, "m"),
       Macro(std::string(79, 'n'), "m"), 0, ""},
      {"name field after the length ignored", Record(2, "npXYZ", 1, 1, "m"), Macro("np", "m"), 0, ""},
      {"NUL ends a text", Record(4, std::string("ab\0c", 4), 1, 5, std::string("xy\0zz", 5)),
       Macro("ab", "xy"), 0, ""},
      // The length field's bytes 0D 0A come in as one 0A: ten data bytes.
      {"CR LF in a length and in data",
       Record(1, "k", 1, 0, "").substr(0, 82) + "\r\n" + std::string(3, '\0') + "abc\r\ndefgh\r\n" +
           Record("n", 1, "x"),
       Macro("k", "abc\ndefgh\n") + Macro("n", "x"), 0, ""},
      {"lone CR kept", Record(1, "k", 1, 6, "a\rb\r\r\nc"), Macro("k", "a\rb\r\nc"), 0, ""},
      {"Ctrl+Z inside records", Record("a", 1, "x" + z + "y" + std::string(23, 'w')) +
       Record("b", 1, "c"), Macro("a", "xy" + std::string(23, 'w')) + Macro("b", "c"), 0,
       "dropped 1 control"},
      {"Ctrl+Z at a record's start ends the input", Record("a", 1, "x") + z + Record("b", 1, "y"),
       Macro("a", "x"), 0, "end-of-file mark"},
      {"Ctrl+Z as the last byte", Record("a", 1, "x") + z, Macro("a", "x"), 0, ""},
      {"control characters dropped", Record("k\x01", 1, "a\x02" "b\tc\x1F"), Macro("k", "ab\tc"),
       0, "dropped 3 control"},
      {"unknown type skipped", Record("u", 7, "x") + Record("k", 1, "m"), Macro("k", "m"), 0,
       "unknown type 7"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(Migrator, DamagedFileEndsTheDocumentAndExitsWithTwo) {
  const std::string good = Record("a", 1, "x");
  const Case cases[] = {
      {"cut in the name field", good + "\x05np", Macro("a", "x"), 2, "cut short"},
      {"cut in the data length", good + Record("b", 1, "y").substr(0, 84), Macro("a", "x"), 2,
       "cut short"},
      {"data one byte short", good + Record(1, "b", 1, 5, "abcd"), Macro("a", "x"), 2,
       "data length 5"},
      {"data shortened by CR LF", good + Record(1, "b", 1, 4, "ab\r\n"), Macro("a", "x"), 2,
       "data length 4"},
      {"huge data length", good + Record(1, "b", 1, 0xFFFFFFFF, "abc"), Macro("a", "x"), 2,
       "data length 4294967295"},
      {"huge length in a skipped record", Record(1, "b", 152, 0x7FFFFFFF, "abc"), "", 2,
       "data length 2147483647"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(Migrator, ConvertsFromTheSystemCodePageToUtf8) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system code page is " << GetACP() << ", not 1252";
  Check({"code page 1252", Record("\xE9", 1, "caf\xE9 \x80"), Macro("\xC3\xA9", "caf\xC3\xA9 \xE2\x82\xAC"),
         0, ""});
}

TEST(Migrator, WithoutArgumentPrintsUsageAndExitsWithOne) {
  Child child("");
  ASSERT_TRUE(child.Started());
  Result result = child.Finish();
  EXPECT_EQ(1u, result.status);
  EXPECT_EQ("", result.out);
  EXPECT_EQ(0u, result.err.find("Usage: migrator ")) << result.err;
}

TEST(Migrator, UnopenableFileWaitsForEnterAndExitsWithOne) {
  TempWorkDir dir;
  std::string path = dir.File("missing.dat");
  Child child(" \"" + path + "\"");
  ASSERT_TRUE(child.Started());
  std::string prompt = "Couldn't open " + path + "!\r\nPress enter to continue...";
  EXPECT_TRUE(child.RunningAfter(500));
  EXPECT_EQ(prompt, child.Output());
  child.Write("\r\n");
  EXPECT_FALSE(child.RunningAfter(5000));
  Result result = child.Finish();
  EXPECT_EQ(1u, result.status);
  EXPECT_EQ(prompt, result.out);
}

// The old file is named by a path that the system code page cannot hold; its contents stay
// in the code page. The texts name the path in the code page.
TEST(Migrator, ReadsAFileInAFolderTheCodePageCannotName) {
  TempWorkDir dir;
  std::wstring folder = MakeUnicodeFolder(dir);
  WriteWholeFile(folder + L"\\old.dat", Record("np", 0, "notepad.exe"));
  Child child(L" \"" + folder + L"\\old.dat\"");
  ASSERT_TRUE(child.Started());
  Result result = child.Finish();
  EXPECT_EQ(0u, result.status) << result.out << result.err;
  EXPECT_EQ(Document(Execute("np", "notepad.exe", "", "")), result.out);

  Child missing(L" \"" + folder + L"\\missing.dat\"");
  ASSERT_TRUE(missing.Started());
  result = missing.Finish();
  EXPECT_EQ(1u, result.status);
  EXPECT_EQ("Couldn't open " + ShownText(folder) + "\\missing.dat!\r\nPress enter to continue...", result.out);
}

TEST(Migrator, UnopenableFileStopsWaitingAtEndOfInput) {
  Child child(" no-such-file.dat");
  ASSERT_TRUE(child.Started());
  Result result = child.Finish();
  EXPECT_EQ(1u, result.status);
  EXPECT_EQ("Couldn't open no-such-file.dat!\r\nPress enter to continue...", result.out);
}

int CountActions(const std::string& text) {
  int count = 0;
  for (size_t at = text.find("<action "); at != std::string::npos; at = text.find("<action ", at + 1)) {
    ++count;
  }
  return count;
}

// Random records built from the bytes that matter: name lengths of 0, 26, 79, 80 and 255,
// separators, markup, CR, LF, Ctrl+Z, NUL, controls and high bytes; data lengths that lie;
// files cut anywhere. Files without any of the damage must convert every binding.
TEST(Migrator, HostileFilesNeverCrashAndAlwaysGiveWellFormedXml) {
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  };
  const char interesting[] = "?&<>\"\r\n\x1A\x01\x1F\t\x7F\x80\x81\xFF\xE9 a";
  auto text = [&](uint32_t size) {
    std::string t;
    for (uint32_t i = 0; i < size; ++i) {
      t += next(3) ? interesting[next(sizeof interesting)] : static_cast<char>(next(256));
    }
    return t;
  };
  const unsigned nameLengths[] = {0, 1, 2, 26, 79, 80, 255};
  const unsigned types[] = {0, 1, 152, 7, 255};
  for (int round = 0; round < 60; ++round) {
    std::string file;
    bool intact = true;
    int bindings = 0;
    for (uint32_t r = 1 + next(5); r > 0; --r) {
      std::string data = text(next(200));
      uint32_t length = data.size();
      switch (next(24)) {
        case 0: length = 0xFFFFFFFF; intact = false; break;
        case 1: length += 1 + next(4); intact = false; break;
        case 2: length = next(256); intact = intact && length == data.size(); break;
      }
      unsigned nameLength = next(2) ? nameLengths[next(7)] : next(256);
      unsigned type = types[next(5)];
      if (nameLength == 26) intact = false;
      if (type <= 1) ++bindings;
      file += Record(nameLength, text(80), type, length, data);
    }
    if (next(4)) {
      file = Crlf(file);  // as a writer in text mode put it on disk
    } else if (file.find('\n') != std::string::npos) {
      intact = false;
    }
    if (next(5) == 0) {
      file.resize(next(file.size() + 1));
      intact = false;
    }
    SCOPED_TRACE("round " + std::to_string(round));
    Result result = Migrate(file);
    EXPECT_TRUE(result.status == 0 || result.status == 2) << result.status;
    EXPECT_TRUE(WellFormed(result.out));
    if (intact) {
      EXPECT_EQ(0u, result.status) << result.err;
      EXPECT_EQ(bindings, CountActions(result.out));
    }
  }
}

}  // namespace

namespace {

// The converter's output, saved as conf.xml, is what the engine reads.
TEST(Migrator, EngineLoadsTheOutput) {
  Result result = Migrate(Record("np", 0, "notepad.exe?a & b?C:\\") + Record("hi", 1, "+hello{ENTER}"));
  ASSERT_EQ(0u, result.status);
  TempWorkDir dir({"testplugins.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  WriteWholeFile(dir.File("conf.xml"), result.out);
  {
    TambrelEngine engine;
    ASSERT_TRUE(engine.IsStarted());
    ASSERT_EQ(2u, engine.Actions().size());
    ShortcutType* sequence = engine.FindPlugin(1)->plugin->GetShortcutType();
    EXPECT_STREQ("np", sequence->GetShortcutText(1));
    EXPECT_STREQ("hi", sequence->GetShortcutText(2));
    EXPECT_EQ(141u, engine.Keys().size());
  }
  // The two action plugins are not here: what they would read is kept for them.
  std::string written = ReadWholeFile(dir.File("conf.xml"));
  EXPECT_NE(std::string::npos, written.find("<command>notepad.exe</command>"));
  EXPECT_NE(std::string::npos, written.find("<parameter>a &amp; b</parameter>"));
  EXPECT_NE(std::string::npos, written.find("<command>+hello{ENTER}</command>"));
}

}  // namespace
