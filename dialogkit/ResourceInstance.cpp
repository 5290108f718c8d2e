#include "ResourceInstance.h"

// The linker's symbol for the start of the image this object file ends up in.
extern "C" IMAGE_DOS_HEADER __ImageBase;

static HINSTANCE gResourceInstance;

HINSTANCE GetResourceInstance() {
  return gResourceInstance != nullptr ? gResourceInstance
                                      : reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void SetResourceInstance(HINSTANCE instance) { gResourceInstance = instance; }
