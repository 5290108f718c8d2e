// Reading export names from DLL files without loading them.
#include <gtest/gtest.h>

#include "PeExports.h"
#include "TestSupport.h"

namespace {

TEST(PeExports, FindsNamesInRealLibraries) {
  std::string folder = ProgramFolder();
  EXPECT_TRUE(FileExportsName((folder + "\\cplugin_basic.dll").c_str(), "GetPluginsInfo"));
  EXPECT_TRUE(FileExportsName((folder + "\\cplugin_basic.dll").c_str(), "CPluginTrace"));
  EXPECT_FALSE(FileExportsName((folder + "\\cplugin_basic.dll").c_str(), "GetPluginsInf"));
  EXPECT_FALSE(FileExportsName((folder + "\\notaplugin.dll").c_str(), "GetPluginsInfo"));
  EXPECT_TRUE(FileExportsName((folder + "\\notaplugin.dll").c_str(), "NotAPluginExport"));
  EXPECT_FALSE(FileExportsName((folder + "\\no-such-file.dll").c_str(), "GetPluginsInfo"));
}

TEST(PeExports, TruncatedAndDamagedImagesAreNoPlugins) {
  std::string image = ReadWholeFile(ProgramFolder() + "\\cplugin_basic.dll");
  ASSERT_GT(image.size(), 1024u);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(image.data());
  ASSERT_TRUE(ImageExportsName(bytes, image.size(), "GetPluginsInfo"));
  // Every prefix: reading must stay inside the buffer whatever the headers claim.
  for (size_t size = 0; size < image.size(); size += (size < 2048 ? 1 : 97)) {
    std::string prefix = image.substr(0, size);
    ImageExportsName(reinterpret_cast<const unsigned char*>(prefix.data()), prefix.size(),
                     "GetPluginsInfo");
  }
  std::string damaged = image;
  damaged[0] = 'X';
  EXPECT_FALSE(ImageExportsName(reinterpret_cast<const unsigned char*>(damaged.data()),
                                damaged.size(), "GetPluginsInfo"));
  std::string garbage(4096, '\xFF');
  garbage[0] = 'M';
  garbage[1] = 'Z';
  EXPECT_FALSE(ImageExportsName(reinterpret_cast<const unsigned char*>(garbage.data()),
                                garbage.size(), "GetPluginsInfo"));
}

}  // namespace
