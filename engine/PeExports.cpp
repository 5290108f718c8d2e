#include "PeExports.h"

#include <string.h>
#include <windows.h>

#include "UniqueHandle.h"

namespace {

class ImageReader {
 public:
  ImageReader(const unsigned char* image, size_t size) : m_image(image), m_size(size) {}

  template <typename T>
  bool Read(size_t offset, T* out) const {
    if (offset > m_size || m_size - offset < sizeof(T)) return false;
    memcpy(out, m_image + offset, sizeof(T));
    return true;
  }

  // A zero-terminated string at offset that lies wholly inside the image.
  bool StringEquals(size_t offset, const char* text) const {
    size_t length = strlen(text);
    if (offset > m_size || m_size - offset <= length) return false;
    return memcmp(m_image + offset, text, length + 1) == 0;
  }

 private:
  const unsigned char* m_image;
  size_t m_size;
};

}  // namespace

bool ImageExportsName(const unsigned char* image, size_t size, const char* name) {
  ImageReader reader(image, size);
  IMAGE_DOS_HEADER dos;
  if (!reader.Read(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0) return false;
  size_t nt = static_cast<size_t>(dos.e_lfanew);
  DWORD signature;
  IMAGE_FILE_HEADER file;
  WORD magic;
  if (!reader.Read(nt, &signature) || signature != IMAGE_NT_SIGNATURE) return false;
  if (!reader.Read(nt + 4, &file)) return false;
  size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
  if (!reader.Read(optional, &magic)) return false;

  IMAGE_DATA_DIRECTORY exports;
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    IMAGE_OPTIONAL_HEADER32 header;
    if (!reader.Read(optional, &header) || header.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT)
      return false;
    exports = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    IMAGE_OPTIONAL_HEADER64 header;
    if (!reader.Read(optional, &header) || header.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT)
      return false;
    exports = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  } else {
    return false;
  }
  if (exports.VirtualAddress == 0 || exports.Size == 0) return false;

  size_t sections = optional + file.SizeOfOptionalHeader;
  // File offset of a relative virtual address, through the section table.
  auto offsetOf = [&](DWORD rva, size_t* out) {
    for (WORD i = 0; i < file.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      if (!reader.Read(sections + i * sizeof section, &section)) return false;
      DWORD extent = section.Misc.VirtualSize > section.SizeOfRawData ? section.Misc.VirtualSize
                                                                       : section.SizeOfRawData;
      if (rva >= section.VirtualAddress && rva - section.VirtualAddress < extent) {
        *out = static_cast<size_t>(section.PointerToRawData) + (rva - section.VirtualAddress);
        return true;
      }
    }
    return false;
  };

  size_t directoryOffset;
  IMAGE_EXPORT_DIRECTORY directory;
  if (!offsetOf(exports.VirtualAddress, &directoryOffset) || !reader.Read(directoryOffset, &directory))
    return false;
  size_t namesOffset;
  if (directory.NumberOfNames == 0 || !offsetOf(directory.AddressOfNames, &namesOffset)) return false;
  for (DWORD i = 0; i < directory.NumberOfNames; ++i) {
    DWORD nameRva;
    size_t nameOffset;
    if (!reader.Read(namesOffset + static_cast<size_t>(i) * 4, &nameRva)) return false;
    if (offsetOf(nameRva, &nameOffset) && reader.StringEquals(nameOffset, name)) return true;
  }
  return false;
}

bool FileExportsName(const wchar_t* path, const char* name) {
  UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0 || size.HighPart != 0) return false;
  UniqueKernelHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return false;
  UniqueView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
  if (!view) return false;
  return ImageExportsName(static_cast<const unsigned char*>(view.Get()), size.LowPart, name);
}
