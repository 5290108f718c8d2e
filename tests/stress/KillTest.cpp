// The real program killed with TerminateProcess at random moments while it writes conf.xml
// over and over (the stress plugin keeps it saving): after every kill conf.xml must load and
// hold one whole generation of its 2,000 bindings, never an older one. TAMBREL_STRESS_KILLS
// sets the number of kills (20 here; scripts/stress asks for more).
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include <tlhelp32.h>

#include <random>
#include <string>

#include "TestSupport.h"
#include "XTools.h"

namespace {

const char kStressGuid[] = "{57E55000-0000-0000-0000-000000000057}";
const int kBindings = 2000;

std::string ConfigOfGeneration(long generation) {
  std::string g = std::to_string(generation);
  std::string text = std::string("<?xml version=\"1.0\"?>\n<tambrel version=\"2.01\"><options><option name=\"log\">yes</option></options><plugins><plugin guid=\"") +
                     kStressGuid + "\" active=\"yes\"><generation>" + g + "</generation></plugin></plugins><actions>";
  for (int i = 0; i < kBindings; ++i)
    text += std::string("<action><shortcut plugin=\"") + kStressGuid + "\">" + g + "</shortcut><actiontype plugin=\"" +
            kStressGuid + "\">" + g + "</actiontype></action>";
  return text + "</actions></tambrel>\n";
}

std::string Text(xmlNode* element) {
  xmlChar* content = xmlNodeGetContent(element);
  std::string text = content != nullptr ? reinterpret_cast<char*>(content) : "";
  xmlFree(content);
  return text;
}

bool Named(xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name));
}

// The generation the file holds throughout, or -1 when it is missing, torn or mixed.
long WholeGeneration(const std::string& text) {
  xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "conf.xml", nullptr, XML_PARSE_NONET);
  if (doc == nullptr) return -1;
  long generation = -1;
  int bindings = 0;
  bool mixed = false;
  for (xmlNode* part = xmlDocGetRootElement(doc)->children; part != nullptr; part = part->next) {
    if (Named(part, "plugins")) {
      for (xmlNode* plugin = part->children; plugin != nullptr; plugin = plugin->next)
        if (Named(plugin, "plugin") && Text(plugin) != "") generation = atol(Text(plugin).c_str());
    } else if (Named(part, "actions")) {
      for (xmlNode* action = part->children; action != nullptr; action = action->next) {
        if (!Named(action, "action")) continue;
        ++bindings;
        for (xmlNode* side = action->children; side != nullptr; side = side->next)
          if (side->type == XML_ELEMENT_NODE && atol(Text(side).c_str()) != generation) mixed = true;
      }
    }
  }
  xmlFreeDoc(doc);
  return bindings == kBindings && !mixed ? generation : -1;
}

std::string OtherPrograms() {
  std::string names;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    names += std::string(entry.szExeFile) + " ";
  CloseHandle(snapshot);
  return names;
}

TEST(Kill, DuringSavesLeavesOneWholeGeneration) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "Local\\Tambrel");
  EXPECT_EQ(nullptr, mutex) << "another Tambrel runs: " << OtherPrograms();
  if (mutex != nullptr) CloseHandle(mutex);
  const char* asked = getenv("TAMBREL_STRESS_KILLS");
  int kills = asked != nullptr ? atoi(asked) : 20;
  TempWorkDir dir({"stressplugin.dll"});
  std::string conf = dir.File("conf.xml");
  WriteWholeFile(conf, ConfigOfGeneration(0));
  std::string exe = ProgramFolder() + "\\tambrel.exe";
  std::mt19937 random(20261208);
  long last = 0, saves = 0;
  int losses = 0, midWrite = 0;
  for (int kill = 0; kill < kills; ++kill) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(),
                               &startup, &process));
    // Once the program is up it saves without a pause: a kill at a random moment after that
    // lands in a save, or between two.
    ASSERT_TRUE(WaitForTambrel(process, 10000)) << "tambrel.exe did not come up, or ended by itself";
    bool ended = WaitForSingleObject(process.hProcess, std::uniform_int_distribution<DWORD>(0, 800)(random)) ==
                 WAIT_OBJECT_0;
    ASSERT_FALSE(ended) << "tambrel.exe ended by itself";
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (FileExists(conf + ".new")) ++midWrite;
    long generation = WholeGeneration(ReadWholeFile(conf));
    if (generation < last) {
      ++losses;
      ADD_FAILURE() << "kill " << kill << ": conf.xml lost generation " << last << " (holds " << generation << ")";
      WriteWholeFile(conf, ConfigOfGeneration(last));  // go on from the last whole file
      continue;
    }
    saves += generation - last;
    last = generation;
  }
  printf("kills: %d, saves completed between them: %ld, kills while conf.xml.new was being written: %d, "
         "losses: %d\n", kills, saves, midWrite, losses);
  RecordProperty("kills", kills);
  RecordProperty("losses", losses);
  EXPECT_GT(saves, 0) << "the program never saved: the kills tested nothing. Its log:\n"
                      << ReadWholeFile(dir.File("tambrel.log"));
}

}  // namespace
