// A shortcut's program filter: the executable file names of the programs it applies in,
// compared without regard to case and without folders. Empty means every program.
#ifndef TAMBRELPLUG_PROGRAMFILTER_H
#define TAMBRELPLUG_PROGRAMFILTER_H

#include <stddef.h>

#include <string>
#include <vector>

// "notepad.exe; C:\Tools\winword.exe;;" gives notepad.exe and winword.exe: names separated
// by ";", spaces around them and folders dropped, each name once.
std::vector<std::string> ParsePrograms(const std::string& list);
std::string JoinPrograms(const std::vector<std::string>& names, const char* separator);

bool SameProgram(const char* a, const char* b);

// The file name of the program that owns the foreground window, or empty text. Allocates
// nothing.
void ForegroundProgram(char* out, size_t size);

#endif
