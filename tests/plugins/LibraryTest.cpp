// The library's table of plugins, as the engine sees it through GetPluginsInfo.
#include <gtest/gtest.h>

#include <string>

#include "Library.h"

namespace {

TEST(Library, HandsOutTheSamePluginsInTheirFixedOrder) {
  Plugin** first = nullptr;
  Plugin** second = nullptr;
  ASSERT_EQ(9u, GetBuiltInPlugins(&first));
  ASSERT_EQ(9u, GetBuiltInPlugins(&second));
  EXPECT_EQ(first, second);

  struct Expected {
    const char* name;
    const char* guid;
    int types;
  };
  const Expected expected[9] = {
      {"Keyboard Action Plugin", "{92DF9468-C0AE-4198-91C8-53296E9EA06E}", 0x01},
      {"ShellExecute Action Plugin", "{CC0F56FA-93FA-49E0-B66F-167B15808C3E}", 0x01},
      {"Windows Action Plugin", "{3259EE9A-68B5-4877-9407-A2E7EED492CC}", 0x01},
      {"Keyboard Tambrel Plugin", "{9129154F-FB6F-4CE7-9D48-399EA570C2F6}", 0x06},
      {"Tambrel Tray Plugin", "{36BFD559-713C-4306-840E-55E2D035DB99}", 0x0E},
      {"Window Tambrel Notify Plugin", "{FB32BE64-F84C-4723-967C-854E3627A2E7}", 0x22},
      {"Keyboard Shortcut Plugin", "{646ADA64-823B-496F-9B9F-E5F652E7151F}", 0x12},
      {"Text Action Plugin", "{054C80C3-6A7C-47B7-A219-D196EA741F0B}", 0x01},
      {"Keyboard Combination Plugin", "{4D2C02DC-B554-4559-A9EA-10C38725CAF2}", 0x10},  // new ones come last
  };
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(expected[i].name);
    Plugin* plugin = first[i];
    ASSERT_NE(nullptr, plugin);
    EXPECT_EQ(plugin, second[i]);
    EXPECT_STREQ(expected[i].name, plugin->GetName());
    EXPECT_STREQ(expected[i].guid, plugin->GetGuid());
    EXPECT_EQ(expected[i].types, plugin->GetTypes());
    EXPECT_EQ(1, plugin->CheckVersion(1));
    EXPECT_NE(nullptr, plugin->GetIcon());
  }
}

TEST(Library, ReleasingTheDebugTextFirstIsHarmless) {
  Plugin** plugins = nullptr;
  GetBuiltInPlugins(&plugins);
  for (int i = 0; i < 9; ++i) {
    if (i == 5) continue;  // the notice has one constant line and nothing to free
    SCOPED_TRACE(plugins[i]->GetName());
    EXPECT_EQ(nullptr, plugins[i]->GetDebugInfo(true, false, 0));
    const char* text = plugins[i]->GetDebugInfo(false, false, 0);
    ASSERT_NE(nullptr, text);
    EXPECT_NE(0u, std::string(text).size());
    EXPECT_EQ(nullptr, plugins[i]->GetDebugInfo(true, false, 0));
  }
}

}  // namespace
