// Reading export names from DLL files without loading them.
#include <gtest/gtest.h>

#include <functional>

#include "PeExports.h"
#include "TestSupport.h"

namespace {

const char kName[] = "GetPluginsInfo";

// Bytes placed right before a page that cannot be read: a read past their end faults.
class Fenced {
 public:
  explicit Fenced(const std::string& bytes) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    size_t page = system.dwPageSize;
    size_t size = (bytes.size() + page - 1) / page * page + page;
    m_base = static_cast<unsigned char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(m_base + size - page, page, PAGE_NOACCESS, &old);
    m_data = m_base + size - page - bytes.size();
    memcpy(m_data, bytes.data(), bytes.size());
  }
  ~Fenced() { VirtualFree(m_base, 0, MEM_RELEASE); }
  const unsigned char* Data() const { return m_data; }

 private:
  unsigned char* m_base;
  unsigned char* m_data;
};

template <typename T>
void Put(std::string& image, size_t offset, T value) {
  memcpy(&image[offset], &value, sizeof value);
}

bool Exports(const std::string& image) { return ImageExportsName(Fenced(image).Data(), image.size(), kName); }

TEST(PeExports, FindsNamesInRealLibraries) {
  std::string folder = ProgramFolder();
  EXPECT_TRUE(FileExportsName(Wide(folder + "\\cplugin_basic.dll").c_str(), kName));
  EXPECT_TRUE(FileExportsName(Wide(folder + "\\cplugin_basic.dll").c_str(), "CPluginTrace"));
  EXPECT_FALSE(FileExportsName(Wide(folder + "\\cplugin_basic.dll").c_str(), "GetPluginsInf"));
  EXPECT_FALSE(FileExportsName(Wide(folder + "\\notaplugin.dll").c_str(), kName));
  EXPECT_TRUE(FileExportsName(Wide(folder + "\\notaplugin.dll").c_str(), "NotAPluginExport"));
  EXPECT_FALSE(FileExportsName(Wide(folder + "\\no-such-file.dll").c_str(), kName));
  char system[MAX_PATH];
  GetSystemDirectoryA(system, sizeof system);
  EXPECT_TRUE(FileExportsName(Wide(std::string(system) + "\\kernel32.dll").c_str(), "GetProcAddress"));
  EXPECT_FALSE(FileExportsName(Wide(std::string(system) + "\\kernel32.dll").c_str(), kName));
}

TEST(PeExports, TruncatedAndDamagedImagesAreNoPlugins) {
  const std::string image = ReadWholeFile(ProgramFolder() + "\\cplugin_basic.dll");
  ASSERT_TRUE(Exports(image));
  // The shortest cut that still exports the name ends with the name itself; every shorter
  // one, cut inside the name too, does not, and no read may pass the cut.
  size_t missing = 0, shortest = image.size();
  while (missing + 1 < shortest) {
    size_t size = (missing + shortest) / 2;
    (Exports(image.substr(0, size)) ? shortest : missing) = size;
  }
  EXPECT_EQ(std::string(kName, sizeof kName), image.substr(shortest - sizeof kName, sizeof kName));
  for (size_t size = 0; size < shortest; size += size < 2048 || shortest - size < 64 ? 1 : 61)
    ASSERT_FALSE(Exports(image.substr(0, size))) << size;

  const size_t lfanew = offsetof(IMAGE_DOS_HEADER, e_lfanew);
  const size_t nt = static_cast<size_t>(reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data())->e_lfanew);
  const IMAGE_FILE_HEADER file = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + nt)->FileHeader;
  const size_t fileHeader = nt + offsetof(IMAGE_NT_HEADERS, FileHeader);
  const size_t optional = nt + offsetof(IMAGE_NT_HEADERS, OptionalHeader);
  const size_t sections = optional + file.SizeOfOptionalHeader;
  const struct {
    const char* what;
    std::function<void(std::string&)> damage;
  } cases[] = {
      {"headers past the end", [=](std::string& s) { Put<LONG>(s, lfanew, s.size() - 2); }},
      {"headers before the start", [=](std::string& s) { Put<LONG>(s, lfanew, -64); }},
      {"no PE signature", [=](std::string& s) { Put<DWORD>(s, nt, 0); }},
      {"unknown optional header", [=](std::string& s) { Put<WORD>(s, optional, 0x1234); }},
      {"no data directories",
       [=](std::string& s) { Put<DWORD>(s, optional + offsetof(IMAGE_OPTIONAL_HEADER, NumberOfRvaAndSizes), 0); }},
      {"exports in no section",
       [=](std::string& s) { Put<DWORD>(s, optional + offsetof(IMAGE_OPTIONAL_HEADER, DataDirectory), 0x7FFFFFF0); }},
      {"no sections",
       [=](std::string& s) { Put<WORD>(s, fileHeader + offsetof(IMAGE_FILE_HEADER, NumberOfSections), 0); }},
      {"sections past the end",
       [=](std::string& s) {
         for (size_t i = 0; i < file.NumberOfSections; ++i)
           Put<DWORD>(s, sections + i * sizeof(IMAGE_SECTION_HEADER) + offsetof(IMAGE_SECTION_HEADER, PointerToRawData),
                      0x7FFFFFF0);
       }},
  };
  TempWorkDir dir;
  for (const auto& c : cases) {
    std::string damaged = image;
    c.damage(damaged);
    EXPECT_FALSE(Exports(damaged)) << c.what;
    WriteWholeFile(dir.File("damaged.dll"), damaged);
    EXPECT_FALSE(FileExportsName(Wide(dir.File("damaged.dll")).c_str(), kName)) << c.what;
  }
  WriteWholeFile(dir.File("empty.dll"), "");
  EXPECT_FALSE(FileExportsName(Wide(dir.File("empty.dll")).c_str(), kName));
  WriteWholeFile(dir.File("cut.dll"), image.substr(0, shortest - 1));
  EXPECT_FALSE(FileExportsName(Wide(dir.File("cut.dll")).c_str(), kName));
}

}  // namespace
