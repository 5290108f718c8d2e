// conf.xml loading at scale: seed files mutated in many ways, each loaded through the real
// engine start-up in this process, with the built-in plugins linked in and no message box
// shown. For each file: a failed load leaves the file's bytes as they were
// and no conf.xml.new beside it; a load that succeeded writes, at shut-down, a file that
// loads again. scripts/fuzz runs it under Wine and prints the figures.
//
//   config_fuzz OUT SEED FIRST END          loads files FIRST to END-1, made from OUT\seeds\*.xml
//   config_fuzz OUT SEED -make INDEX FILE   writes file INDEX as FILE
//
// File i is made from SEED and i alone. Before each file OUT\progress.txt is rewritten with
// "index failed changed unreloadable": after a crash it names the file that crashed and the
// counts of the files before it, so the script resumes after it; "done" follows at the end.
// What a finding leaves: OUT\changed-I.xml, OUT\unreloadable-I.xml (and .written.xml).
#include <windows.h>

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Engine.h"
#include "Library.h"
#include "Messages.h"

namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {  // splitmix64
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }
  template <size_t N>
  const char* Pick(const char* const (&list)[N]) { return list[Below(N)]; }

 private:
  uint64_t m_state;
};

std::string ReadWholeFile(const std::string& path) {
  std::string contents;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return contents;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
  fclose(file);
  return contents;
}

bool WriteWholeFile(const std::string& path, const std::string& contents) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  return fclose(file) == 0 && written;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// --- Mutations ------------------------------------------------------------------------

const size_t kMaxSize = 4 << 20;

const char* const kGuids[] = {
    "{92DF9468-C0AE-4198-91C8-53296E9EA06E}", "{CC0F56FA-93FA-49E0-B66F-167B15808C3E}",
    "{3259EE9A-68B5-4877-9407-A2E7EED492CC}", "{9129154F-FB6F-4CE7-9D48-399EA570C2F6}",
    "{36BFD559-713C-4306-840E-55E2D035DB99}", "{FB32BE64-F84C-4723-967C-854E3627A2E7}",
    "{646ADA64-823B-496F-9B9F-E5F652E7151F}", "{7E570000-0000-0000-0000-00000000AC71}",
    "{646ada64-823b-496f-9b9f-e5f652e7151f}", "{646ADA64-823B-496F-9B9F-E5F652E7151}",
    "{646ADA64-823B-496F-9B9F-E5F652E7151F}}", "646ADA64-823B-496F-9B9F-E5F652E7151F",
    "{646ADA64-823B-496F-9B9F-E5F652E7151F}x", "", "{}", "{\xC3\xA9\xE2\x82\xAC-823B-496F-9B9F-E5F652E7151F}",
};
const char* const kNames[] = {
    "tambrel", "options", "plugins", "actions", "option", "plugin", "action", "shortcut",
    "actiontype", "key", "command", "parameter", "dir", "scancode", "setting", "a",
};
const char* const kValues[] = {
    "yes", "no", "maybe", "", "2.0", "2.01", "2.00", "2.5", "1e308", "keys", "log", "logfile",
    "autoactive", "hookactive", "autoshow", "main", "quit", "lock", "monitor off", "unknown",
    "NP", "A-B C", "0123456789ABCDEFG", "{ENTER}", "{", "}", "+^%{F1}", " ", "\t\r\n",
};
const char* const kNumbers[] = {
    "99999999999999999999999", "-2147483649", "2147483648", "2147483647", "4294967296",
    "-1", "0", "1e308", "0x7FFFFFFF", "18446744073709551616", "-0", "00000000000000000019",
    "255", "256", "65535", "19abc", "+5", " 13",
};
const char* const kBadUtf8[] = {
    "\xC3", "\xC3\x28", "\xE2\x82", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC0\xAF", "\xFF\xFE",
    "\xEF\xBB\xBF", "\x80", "\xF8\x88\x80\x80\x80", "\xE9", "\x00", "\x01", "\x1A",
    "\xEF\xBF\xBF", "\xF0\x9F\x98\x80",
};
const char* const kReferences[] = {
    "&e;", "&undefined;", "&#0;", "&#x110000;", "&#65;", "&#xD800;", "&amp;", "&lt;",
    "&#x1F600;", "&", "&#xFFFE;", "&#9;", "&#13;", "&quot;", "&p;", "&ext;",
};
const char* const kDoctypes[] = {
    "<!DOCTYPE tambrel [<!ENTITY e \"entity text\">]>",
    "<!DOCTYPE tambrel [<!ENTITY e \"<key code='1' name='E'>e</key>\">]>",
    "<!DOCTYPE tambrel [<!ENTITY e \"&#38;#60;\">]>",
    "<!DOCTYPE tambrel [<!ENTITY ext SYSTEM \"secret.txt\"><!ENTITY e \"x\">]>",
    "<!DOCTYPE tambrel SYSTEM \"http://127.0.0.1:9/x.dtd\">",
    "<!DOCTYPE tambrel [<!ENTITY % p \"<!ENTITY e 'pe'>\"> %p;]>",
    "<!DOCTYPE tambrel [<!ATTLIST option name CDATA \"log\"><!ATTLIST tambrel version CDATA \"2.0\">]>",
    "<!DOCTYPE tambrel [<!ELEMENT tambrel ANY><!ENTITY e \"\">]>",
    "<!DOCTYPE tambrel [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY e \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>",
    "<!DOCTYPE x>",
};
const char* const kDeclarations[] = {
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "<?xml version=\"1.0\" encoding=\"bogus\"?>",
    "<?xml version=\"1.1\"?>", "<?xml version=\"2.0\"?>", "<?xml version=\"1.0\" standalone=\"yes\"?>",
    "\xEF\xBB\xBF<?xml version=\"1.0\"?>", "\xFF\xFE", "", " <?xml version=\"1.0\"?>",
};
const char* const kMarkup[] = {
    "<!-- c -->", "<?pi x?>", "<![CDATA[<x>&]]>", "\r\n", "\t", "text", "<a/>", "</a>", "<",
    "]]>", "<![CDATA[", "<!--", "-->", "<x:y xmlns:x=\"urn:x\"/>", "<key/>", "<command/>",
};
const char* const kAttributes[] = {
    " plugin=\"\"", " plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\"",
    " plugin=\"{92DF9468-C0AE-4198-91C8-53296E9EA06E}\"", " guid=\"{646ada64-823b-496f-9b9f-e5f652e7151f}\"",
    " guid=\"{9129154F-FB6F-4CE7-9D48-399EA570C2F6}\"", " xmlns=\"urn:x\"",
    " xmlns:p=\"urn:p\" p:plugin=\"{646ADA64-823B-496F-9B9F-E5F652E7151F}\"", " name=\"keys\"",
    " name=\"log\"", " active=\"maybe\"", " active=\"no\"", " version=\"2.0\"", " code=\"-99999999999\"",
    " type=\"main\"", " x=\"&#0;\"", " key=\"", " name=\"&lt;&amp;&quot;\"", " version=\"\"",
};

struct Span {
  size_t begin, end;
};

// Positions just after a '>': between two pieces of markup or before a text.
std::vector<size_t> Boundaries(const std::string& text) {
  std::vector<size_t> at;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '>') at.push_back(i + 1);
  return at;
}

size_t SomeBoundary(const std::string& text, Random& r) {
  std::vector<size_t> at = Boundaries(text);
  return at.empty() ? r.Below(text.size() + 1) : at[r.Below(at.size())];
}

// A random element, from its start tag to the end of its end tag (nesting of the same name
// counted); false when the one picked has no end.
bool SomeElement(const std::string& text, Random& r, Span* span, std::string* name) {
  std::vector<size_t> starts;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '<' && isalpha(static_cast<unsigned char>(text[i + 1]))) starts.push_back(i);
  if (starts.empty()) return false;
  size_t begin = starts[r.Below(starts.size())];
  size_t nameEnd = begin + 1;
  while (nameEnd < text.size() && !strchr(" \t\r\n/>", text[nameEnd])) ++nameEnd;
  *name = text.substr(begin + 1, nameEnd - begin - 1);
  size_t tagEnd = text.find('>', nameEnd);
  if (tagEnd == std::string::npos) return false;
  if (text[tagEnd - 1] == '/') {
    *span = {begin, tagEnd + 1};
    return true;
  }
  int depth = 1;
  for (size_t i = tagEnd + 1; i < text.size(); ++i) {
    if (text[i] != '<') continue;
    bool closing = text.compare(i + 1, 1, "/") == 0;
    size_t at = i + (closing ? 2 : 1);
    if (text.compare(at, name->size(), *name) != 0) continue;
    char after = at + name->size() < text.size() ? text[at + name->size()] : '\0';
    if (!strchr(" \t\r\n/>", after)) continue;
    if (!closing) {
      size_t end = text.find('>', at);
      if (end != std::string::npos && text[end - 1] != '/') ++depth;
      continue;
    }
    if (--depth == 0) {
      size_t end = text.find('>', at);
      if (end == std::string::npos) return false;
      *span = {begin, end + 1};
      return true;
    }
  }
  return false;
}

// Replaces one occurrence of any of the words of list with another word of choices.
template <size_t N, size_t M>
void SwapWord(std::string& text, Random& r, const char* const (&list)[N], const char* const (&choices)[M]) {
  std::vector<Span> found;
  for (const char* word : list) {
    size_t length = strlen(word);
    if (length == 0) continue;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + length))
      found.push_back({at, at + length});
  }
  if (found.empty()) return;
  Span s = found[r.Below(found.size())];
  text.replace(s.begin, s.end - s.begin, r.Pick(choices));
}

void Mutate(std::string& text, Random& r, const std::vector<std::string>& seeds) {
  switch (r.Below(16)) {
    case 0: {  // byte flips
      for (size_t n = 1 + r.Below(4); n > 0 && !text.empty(); --n) {
        size_t at = r.Below(text.size());
        if (r.Below(2))
          text[at] = static_cast<char>(text[at] ^ (1 << r.Below(8)));
        else
          text[at] = "<>&\"'/=\0\xFF \n?!-"[r.Below(14)];
      }
      break;
    }
    case 1:  // truncation
      text.resize(r.Below(text.size() + 1));
      break;
    case 2: {  // a splice of another seed
      const std::string& other = seeds[r.Below(seeds.size())];
      size_t from = r.Below(other.size() + 1);
      std::string piece = other.substr(from, r.Below(400));
      size_t at = r.Below(text.size() + 1);
      text.replace(at, r.Below(2) ? 0 : r.Below(text.size() - at + 1), piece);
      break;
    }
    case 3:
    case 4: {  // an element duplicated, or removed
      Span span;
      std::string name;
      if (!SomeElement(text, r, &span, &name)) break;
      if (r.Below(2))
        text.insert(span.end, text.substr(span.begin, span.end - span.begin));
      else
        text.erase(span.begin, span.end - span.begin);
      break;
    }
    case 5: {  // a huge number, in place of digits or anywhere
      std::vector<Span> runs;
      for (size_t i = 0; i < text.size();) {
        if (!isdigit(static_cast<unsigned char>(text[i]))) {
          ++i;
          continue;
        }
        size_t j = i;
        while (j < text.size() && isdigit(static_cast<unsigned char>(text[j]))) ++j;
        runs.push_back({i, j});
        i = j;
      }
      if (!runs.empty() && r.Below(4)) {
        Span s = runs[r.Below(runs.size())];
        text.replace(s.begin, s.end - s.begin, r.Pick(kNumbers));
      } else {
        text.insert(SomeBoundary(text, r), r.Pick(kNumbers));
      }
      break;
    }
    case 6: {  // invalid UTF-8 in a text, a value or anywhere
      const char* bytes = r.Pick(kBadUtf8);
      std::string piece(bytes, *bytes == '\0' ? 1 : strlen(bytes));
      size_t quote = text.find("=\"", r.Below(text.size() + 1));
      size_t at = r.Below(3) == 0 ? r.Below(text.size() + 1)
                  : r.Below(2) && quote != std::string::npos ? quote + 2
                                                             : SomeBoundary(text, r);
      text.insert(at, piece);
      break;
    }
    case 7: {  // deep nesting
      static const size_t kDepths[] = {10, 100, 254, 255, 256, 257, 1000, 20000};
      size_t depth = kDepths[r.Below(8)];
      std::string name = r.Pick(kNames);
      std::string open = "<" + name + ">", close = "</" + name + ">";
      std::string nest;
      for (size_t i = 0; i < depth; ++i) nest += open;
      for (size_t i = 0; i < depth; ++i) nest += close;
      text.insert(SomeBoundary(text, r), nest);
      break;
    }
    case 8: {  // a DOCTYPE with entities, after the declaration if there is one
      size_t at = text.compare(0, 5, "<?xml") == 0 ? text.find("?>") : std::string::npos;
      std::string doctype = r.Pick(kDoctypes);
      text.insert(at == std::string::npos ? 0 : at + 2, doctype);
      // References to the entity it declares, or to any.
      bool declares = doctype.find("ENTITY e ") != std::string::npos;
      for (size_t n = r.Below(4); n > 0; --n)
        text.insert(SomeBoundary(text, r), declares && r.Below(4) ? "&e;" : r.Pick(kReferences));
      break;
    }
    case 9:  // a reference in a text
      text.insert(SomeBoundary(text, r), r.Pick(kReferences));
      break;
    case 10: {  // an odd attribute on some element
      Span span;
      std::string name;
      if (!SomeElement(text, r, &span, &name)) break;
      size_t at = span.begin + 1 + name.size();
      std::string attribute = r.Pick(kAttributes);
      if (attribute == " key=\"") attribute += std::string(r.Below(2) ? 31 : 300, 'k') + "\"";
      text.insert(at, attribute);
      break;
    }
    case 11:  // a GUID for another
      SwapWord(text, r, kGuids, kGuids);
      break;
    case 12:  // an element name for another, in one tag
      SwapWord(text, r, kNames, kNames);
      break;
    case 13:  // a value for another
      SwapWord(text, r, kValues, kValues);
      break;
    case 14: {  // another declaration, an encoding, a byte order mark
      size_t end = text.compare(0, 5, "<?xml") == 0 ? text.find("?>") : std::string::npos;
      if (end != std::string::npos) text.erase(0, end + 2);
      text.insert(0, r.Pick(kDeclarations));
      break;
    }
    case 15:  // a comment, a PI, CDATA, stray markup
      text.insert(SomeBoundary(text, r), r.Pick(kMarkup));
      break;
  }
  if (text.size() > kMaxSize) text.resize(kMaxSize);
}

std::string MakeFile(uint64_t seed, unsigned index, const std::vector<std::string>& seeds) {
  Random r(seed * 0x100000001B3ull + index);
  std::string text = seeds[r.Below(seeds.size())];
  for (size_t n = 1 + r.Below(3); n > 0; --n) Mutate(text, r, seeds);
  return text;
}

// --- Loading --------------------------------------------------------------------------

// A box would wait for a user: every one is answered at once instead.
int WINAPI NoBox(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

// Fresh objects for every engine: each shut-down releases the ones it was given.
unsigned MakeBuiltInPlugins(Plugin*** plugins) {
  static Plugin* s_plugins[kBuiltInPluginCount];
  CreateBuiltInPlugins(s_plugins);
  *plugins = s_plugins;
  return kBuiltInPluginCount;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// The engine's start-up and shut-down, as the program runs them; true when it started. The
// shut-down writes conf.xml after a complete start-up.
bool StartAndStop() {
  TambrelEngine* engine = new TambrelEngine;
  bool started = TambrelEngine::Instance() != nullptr;
  Pump();
  // A save that changes nothing writes nothing: without the file, shut-down writes it whole.
  if (started) DeleteFileW(engine->ConfigPath().c_str());
  delete engine;
  Pump();
  return started;
}

void ClearFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string path = folder + "\\" + found.cFileName;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

std::vector<std::string> ReadSeeds(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.xml").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());  // the folder's order is the file system's
  std::vector<std::string> seeds;
  for (const std::string& name : names) seeds.push_back(ReadWholeFile(folder + "\\" + name));
  return seeds;
}

struct Counts {
  unsigned failed = 0, changed = 0, unreloadable = 0;
};

void WriteProgress(const std::string& out, unsigned index, const Counts& c, bool done) {
  char line[128];
  snprintf(line, sizeof line, "%u %u %u %u%s\n", index, c.failed, c.changed, c.unreloadable, done ? " done" : "");
  WriteWholeFile(out + "\\progress.txt", line);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    fputs("usage: config_fuzz OUT SEED FIRST END | config_fuzz OUT SEED -make INDEX FILE\n", stderr);
    return 1;
  }
  std::string out = argv[1];
  uint64_t seed = strtoull(argv[2], nullptr, 10);
  std::vector<std::string> seeds = ReadSeeds(out + "\\seeds");
  if (seeds.empty()) {
    fprintf(stderr, "config_fuzz: no seed files in %s\\seeds\n", out.c_str());
    return 1;
  }
  if (strcmp(argv[3], "-make") == 0) {
    if (argc < 6) return 1;
    return WriteWholeFile(argv[5], MakeFile(seed, static_cast<unsigned>(strtoul(argv[4], nullptr, 10)), seeds)) ? 0 : 1;
  }
  unsigned first = static_cast<unsigned>(strtoul(argv[3], nullptr, 10));
  unsigned end = static_cast<unsigned>(strtoul(argv[4], nullptr, 10));

  InitPluginLibrary(GetModuleHandleA(nullptr));
  gLinkedPlugins = {MakeBuiltInPlugins, "tambrelplug.dll", BuiltInShadowingAction, BuiltInShortcutWarning};
  gMessageBox = NoBox;
  std::string work = out + "\\work";
  CreateDirectoryA(work.c_str(), nullptr);
  if (!SetCurrentDirectoryA(work.c_str())) {
    fprintf(stderr, "config_fuzz: cannot enter %s\n", work.c_str());
    return 1;
  }
  const std::string conf = work + "\\conf.xml";

  Counts counts;
  bool findings = false;
  for (unsigned i = first; i < end; ++i) {
    WriteProgress(out, i, counts, false);
    ClearFolder(work);
    std::string text = MakeFile(seed, i, seeds);
    if (!WriteWholeFile(conf, text)) {
      fprintf(stderr, "config_fuzz: cannot write %s\n", conf.c_str());
      return 1;
    }
    if (!StartAndStop()) {
      ++counts.failed;
      if (ReadWholeFile(conf) != text || !Exists(conf) || Exists(conf + ".new") || Exists(conf + ".bak")) {
        ++counts.changed;
        findings = true;
        WriteWholeFile(out + "\\changed-" + std::to_string(i) + ".xml", text);
        printf("file %u: a failed load changed conf.xml or left a file beside it\n", i);
      }
      continue;
    }
    // What shut-down wrote must start the next run.
    std::string written = ReadWholeFile(conf);
    if (!StartAndStop()) {
      ++counts.unreloadable;
      findings = true;
      WriteWholeFile(out + "\\unreloadable-" + std::to_string(i) + ".xml", text);
      WriteWholeFile(out + "\\unreloadable-" + std::to_string(i) + ".written.xml", written);
      printf("file %u: the file written at shut-down does not load\n", i);
    }
  }
  WriteProgress(out, end, counts, true);
  ClearFolder(work);
  return findings ? 2 : 0;
}
