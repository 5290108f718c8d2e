// The image list of the main and settings windows: image 0 is the program's icon, image n
// the icon of the plugin with id n, so a plugin's picture is addressed by its id.
#ifndef TAMBREL_PLUGINIMAGELIST_H
#define TAMBREL_PLUGINIMAGELIST_H

#include <windows.h>

#include <commctrl.h>

#include "UniqueHandle.h"

struct ImageListTraits {
  typedef HIMAGELIST Type;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ImageList_Destroy(h); }
};
typedef UniqueHandle<ImageListTraits> UniqueImageList;

// 16 x 16, masked, with the program's icon as image 0.
HIMAGELIST CreatePluginImageList();
// Grows the list with copies of image 0 up to the plugin's index, then puts its icon there.
void SetPluginImage(HIMAGELIST images, int pluginId, HICON icon);

#endif
