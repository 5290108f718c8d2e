#include "PluginImageList.h"

#include "resource.h"

HIMAGELIST CreatePluginImageList() {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR | ILC_MASK, 16, 16);
  if (images != nullptr)
    ImageList_AddIcon(images, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TAMBREL_SMALL)));
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
  if (icon != nullptr) ImageList_ReplaceIcon(images, pluginId, icon);
}
