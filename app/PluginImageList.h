// The image list of the main and settings windows: image 0 is the program's icon, image n
// the icon of the plugin with id n, so a plugin's picture is addressed by its id. The images
// are 16 pixels square at 96 DPI and grow with the window's DPI (20, 24, 32...).
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

// Masked, with the program's icon as image 0, for a window at dpi.
HIMAGELIST CreatePluginImageList(UINT dpi);
// Grows the list with copies of image 0 up to the plugin's index, then puts its icon there.
// An icon of a module's resources (what plugins return) is drawn from the resource's image
// of the list's size, not shrunk from the one the plugin loaded.
void SetPluginImage(HIMAGELIST images, int pluginId, HICON icon);
// Adds a system icon (IDI_WARNING...) at the list's size; its index, or -1.
int AddSystemImage(HIMAGELIST images, LPCSTR icon);

#endif
