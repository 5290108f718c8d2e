#include "PlaceholderPlugin.h"

HICON PlaceholderPlugin::GetIcon() {
  // Icon 2 of the main program. Shared: the lists draw it often and nobody frees it.
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2), IMAGE_ICON,
                                       0, 0, LR_DEFAULTSIZE | LR_SHARED));
}
