// Where the loader looks for the DLLs that Tambrel loads while it runs.
//
// A bare name given to LoadLibrary is searched in the program's folder, System32, then the
// current folder and every folder of PATH: a DLL named like a system one, put in the working
// folder (where conf.xml and the plugins lie) or in a folder of PATH, would be loaded
// instead (DLL planting). Only Windows shows it: Wine prefers its own system DLLs.
#ifndef TAMBREL_DLLSEARCH_H
#define TAMBREL_DLLSEARCH_H

#include <windows.h>

// The entry's first act: no later search looks in the current folder or PATH. The program's
// static imports are loaded before any code runs and are not affected. False when the
// system took neither way.
bool RestrictDllSearch();

// A DLL of the system by its full path in System32; null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A plugin library by its full path: the DLLs it imports are found beside it, then in the
// program's folder and System32, never in the current folder or PATH.
HMODULE LoadPluginLibrary(const wchar_t* path);

#endif
