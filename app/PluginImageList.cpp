#include "PluginImageList.h"

#include "Dpi.h"
#include "resource.h"

namespace {

int ImageSize(HIMAGELIST images) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(images, &cx, &cy);
  return cx;
}

// The icon of the same resource at the list's size; null when the icon came from no
// module's resources or the resource has no such image. The caller destroys it.
HICON SameIconAtSize(HICON icon, int size) {
  ICONINFOEXA info = {};
  info.cbSize = sizeof info;
  if (!GetIconInfoExA(icon, &info)) return nullptr;
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  HMODULE module = info.szModName[0] != '\0' ? GetModuleHandleA(info.szModName) : nullptr;
  if (module == nullptr) return nullptr;
  LPCSTR name = info.wResID != 0 ? MAKEINTRESOURCEA(info.wResID) : info.szResName;
  if (name == nullptr || (info.wResID == 0 && info.szResName[0] == '\0')) return nullptr;
  return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

HIMAGELIST CreatePluginImageList(UINT dpi) {
  int size = ScaleForDpi(16, dpi);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR | ILC_MASK, 16, 16);
  if (images == nullptr) return nullptr;
  UniqueIcon program(static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TAMBREL_SMALL), IMAGE_ICON, size, size, 0)));
  if (program) ImageList_AddIcon(images, program.Get());
  return images;
}

void SetPluginImage(HIMAGELIST images, int pluginId, HICON icon) {
  if (images == nullptr || pluginId < 1) return;
  while (ImageList_GetImageCount(images) <= pluginId) {
    HICON first = ImageList_GetIcon(images, 0, ILD_NORMAL);
    int added = ImageList_AddIcon(images, first);
    if (first != nullptr) DestroyIcon(first);
    if (added < 0) return;
  }
  if (icon == nullptr) return;
  UniqueIcon sized(SameIconAtSize(icon, ImageSize(images)));
  ImageList_ReplaceIcon(images, pluginId, sized ? sized.Get() : icon);
}

int AddSystemImage(HIMAGELIST images, LPCSTR icon) {
  int size = ImageSize(images);
  UniqueIcon loaded(static_cast<HICON>(LoadImageA(nullptr, icon, IMAGE_ICON, size, size, 0)));
  return loaded ? ImageList_AddIcon(images, loaded.Get()) : -1;
}
