// Plugin discovery in the working folder, the version handshake and the registry.
#include <gtest/gtest.h>

#include "EngineFixture.h"

namespace {

const char kBasicGuid[] = "{C0C0C0C0-1111-2222-3333-444455556666}";

std::string ModulePathOf(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<const char*>(address), &module);
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, sizeof path);
  return path;
}

TEST(Discovery, RegistersThePluginsOfALibraryLoadedFromTheWorkingFolder) {
  TempWorkDir dir({"cplugin_basic.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  ASSERT_EQ(1, engine.Registry().Count());
  const PluginRecord& record = *engine.FindPlugin(1);
  EXPECT_STREQ("C Plugin", record.name);
  EXPECT_STREQ(kBasicGuid, record.guid);
  EXPECT_EQ(0x0A, record.types);
  EXPECT_EQ(1, record.interfaceVersion);
  EXPECT_STREQ("cplugin_basic.dll", record.file);
  EXPECT_TRUE(record.loaded);
  EXPECT_TRUE(record.active);  // new to the configuration
  // The program's own folder holds a file of the same name; the one found here is loaded.
  EXPECT_EQ(0, lstrcmpiA(dir.File("cplugin_basic.dll").c_str(),
                         ModulePathOf(*reinterpret_cast<void* const*>(record.plugin)).c_str()));

  PluginInfo info;
  ASSERT_TRUE(engine.GetPlugin(0, &info));
  EXPECT_EQ(record.plugin, info.plugin);
  EXPECT_TRUE(engine.GetPlugin(1, &info));
  EXPECT_FALSE(engine.GetPlugin(2, &info));
}

TEST(Discovery, VersionHandshake) {
  TempWorkDir dir({"cplugin_versions.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  const std::vector<std::string> expected = {
      "Plugin \"Too new\" (cplugin_versions.dll) is unsupported; Your version of Tambrel "
      "requires updating.\n\nIV was 1; Required is -3.",
      "Plugin \"Too old\" (cplugin_versions.dll) is unsupported; Check the vendor of your "
      "plugin for a new version.\n\nIV was 0; Required is 1 to 1.",
  };
  EXPECT_EQ(expected, boxes.Texts());
  for (const auto& box : boxes.Boxes()) EXPECT_EQ(MB_ICONWARNING, box.type & MB_ICONMASK);

  ASSERT_EQ(2, engine.Registry().Count());
  EXPECT_STREQ("Newer", engine.FindPlugin(1)->name);
  EXPECT_EQ(2, engine.FindPlugin(1)->interfaceVersion);
  // Whatever stood at the punctuation places, the template's hyphens are kept.
  EXPECT_STREQ("{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}", engine.FindPlugin(1)->guid);
  EXPECT_STREQ("Current", engine.FindPlugin(2)->name);
}

TEST(Discovery, LibraryWithoutPluginsStaysLoaded) {
  TempWorkDir dir({"cplugin_empty.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  {
    TambrelEngine engine;
    EXPECT_EQ(0, engine.Registry().Count());
    EXPECT_NE(nullptr, GetModuleHandleA(dir.File("cplugin_empty.dll").c_str()));
  }
  EXPECT_EQ(nullptr, GetModuleHandleA(dir.File("cplugin_empty.dll").c_str()));
}

TEST(Discovery, LibraryWithoutGetPluginsInfoNeverRuns) {
  TempWorkDir dir({"notaplugin.dll", "cplugin_basic.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  EXPECT_EQ(1, engine.Registry().Count());
  EXPECT_FALSE(FileExists(dir.File("notaplugin-ran.txt")));
  EXPECT_EQ(nullptr, GetModuleHandleA(dir.File("notaplugin.dll").c_str()));
  EXPECT_TRUE(boxes.Boxes().empty());
}

// What a plugin library imports loads from beside it, and never through PATH, where a DLL
// of the same name could be planted.
TEST(Discovery, APluginsOwnDependencyLoadsFromBesideItAndNeverThroughPath) {
  CapturedBoxes boxes;
  FakeHooks hooks;
  const std::string dependency = ProgramFolder() + "\\plugdep\\plugdep.dll";
  TempWorkDir onPath;
  ASSERT_TRUE(CopyFileA(dependency.c_str(), onPath.File("plugdep.dll").c_str(), FALSE));
  PathFirst path(onPath.Path());
  {
    TempWorkDir dir({"cplugin_dependent.dll"});
    TambrelEngine engine;
    EXPECT_EQ(0, engine.Registry().Count());
    EXPECT_EQ(nullptr, GetModuleHandleA("plugdep.dll"));
  }
  {
    TempWorkDir dir({"cplugin_dependent.dll"});
    ASSERT_TRUE(CopyFileA(dependency.c_str(), dir.File("plugdep.dll").c_str(), FALSE));
    TambrelEngine engine;
    ASSERT_EQ(1, engine.Registry().Count());
    EXPECT_STREQ("C Dependent", engine.FindPlugin(1)->name);
    char loaded[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("plugdep.dll"), loaded, sizeof loaded);
    EXPECT_EQ(0, lstrcmpiA(dir.File("plugdep.dll").c_str(), loaded)) << loaded;
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(Discovery, NoLibraryAtAllIsReportedWithTheSystemText) {
  TempWorkDir dir;
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND), boxes.Boxes()[0].text);
  EXPECT_EQ(MB_ICONWARNING, boxes.Boxes()[0].type & MB_ICONMASK);
  EXPECT_EQ(0, engine.Registry().Count());
}

TEST(Discovery, SameGuidTwiceRegistersBothAndLookupsTakeTheFirst) {
  TempWorkDir dir({"cplugin_basic.dll", "cplugin_twin.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  ASSERT_EQ(2, engine.Registry().Count());
  EXPECT_STREQ(kBasicGuid, engine.FindPlugin(1)->guid);
  EXPECT_STREQ(kBasicGuid, engine.FindPlugin(2)->guid);
  EXPECT_EQ(1, engine.FindPluginByGuid(kBasicGuid, true));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(Discovery, MissingGuidGetsOnePlaceholderRecord) {
  TempWorkDir dir({"cplugin_basic.dll"});
  CapturedBoxes boxes;
  FakeHooks hooks;
  TambrelEngine engine;
  const char missing[] = "{12345678-ABCD-ABCD-ABCD-123456789ABC}";

  EXPECT_EQ(0, engine.FindPluginByGuid(missing, false));
  EXPECT_EQ(std::vector<std::string>{std::string("While loading configuration: No plugin with GUID ") +
                                     missing},
            boxes.Texts());
  boxes.Clear();

  int id = engine.FindPluginByGuid(missing, true);
  EXPECT_EQ(2, id);
  EXPECT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ(id, engine.FindPluginByGuid(missing, true));  // found now: no second warning
  EXPECT_EQ(1u, boxes.Boxes().size());

  const PluginRecord& record = *engine.FindPlugin(id);
  EXPECT_STREQ("Unknown Plugin", record.name);
  EXPECT_STREQ(missing, record.guid);
  EXPECT_EQ(0x17, record.types);
  EXPECT_TRUE(record.loaded);
  EXPECT_FALSE(record.active);
  EXPECT_STREQ("", record.file);
  EXPECT_STREQ("Unknown Action", record.plugin->GetActionType()->GetActionText(1));
  EXPECT_STREQ("Unknown ActionType", record.plugin->GetActionType()->GetName());
  EXPECT_STREQ("Unknown Shortcut", record.plugin->GetShortcutType()->GetShortcutText(1));
  EXPECT_STREQ("Unknown ShortcutType", record.plugin->GetShortcutType()->GetName());
  EXPECT_STREQ("\t\tUnknown plugin\n", record.plugin->GetDebugInfo(false, false, 0));
  EXPECT_EQ(0, record.plugin->GetActionType()->Execute(1));
}

TEST(Discovery, GuidTemplate) {
  char out[40];
  CopyGuid(out, "{ABCDEF01x2345y6789z0123w456789ABCDEF}");
  EXPECT_STREQ("{ABCDEF01-2345-6789-0123-456789ABCDEF}", out);
  CopyGuid(out, "{ABCD}");
  EXPECT_STREQ("{00000000-0000-0000-0000-000000000000}", out);
  EXPECT_EQ('\0', out[39]);
}

}  // namespace
