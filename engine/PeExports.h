// Reads a DLL's export names from the file, without loading it: a library that is not a
// plugin never gets to run its entry point in our process.
#ifndef TAMBREL_PEEXPORTS_H
#define TAMBREL_PEEXPORTS_H

#include <stddef.h>

// Whether the PE image in [image, image + size) exports name. Every offset is checked
// against size, so a truncated or malformed file is simply "no".
bool ImageExportsName(const unsigned char* image, size_t size, const char* name);

// The same for a file on disk. False when the file cannot be read.
bool FileExportsName(const wchar_t* path, const char* name);

#endif
