// The converter: an old bindings file in, configuration text of version "2.0" on standard
// output. Returns the exit status: 0 converted, 1 no file to read, 2 the file is damaged
// (what came before the damage is still printed, as a complete document).
#ifndef TAMBREL_MIGRATOR_H
#define TAMBREL_MIGRATOR_H

#include <stdio.h>

// path: the first argument as the texts name it, null without one; input: that file, opened
// in binary mode, or null when it cannot be opened. Closes input.
int RunMigrator(const char* path, FILE* input);

// The conversion itself, from an open file (binary mode) to out, with its warnings and the
// reason it stopped early on err; path names the file in those. Returns 0 or 2, as above.
int ConvertBindings(FILE* input, const char* path, FILE* out, FILE* err);

#endif
