// The module whose dialog resources the toolkit reads and creates dialogs from. The toolkit
// is linked into the program and into the plugin library; each reads its own templates.
#ifndef DIALOGKIT_RESOURCEINSTANCE_H
#define DIALOGKIT_RESOURCEINSTANCE_H

#include <windows.h>

// Until set, the module this code is linked into (the program, or the library that links
// the toolkit in).
HINSTANCE GetResourceInstance();
// A library calls this from its entry with its own module handle; null restores the default.
void SetResourceInstance(HINSTANCE instance);

#endif
