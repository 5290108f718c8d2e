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

// Every program name that some filter of a plugin holds, each once. A filter keeps their
// numbers (index + 1), so that matching the program at hand compares numbers; 0 stands for
// a program that no filter names.
class ProgramNames {
 public:
  // The numbers of a list's names, adding the names not yet known.
  std::vector<int> Numbers(const std::string& list);
  int NumberOf(const char* name) const;
  std::string List(const std::vector<int>& numbers, const char* separator) const;
  size_t Count() const { return m_names.size(); }

 private:
  std::vector<std::string> m_names;
};

// The file name of the program that owns the foreground window, or empty text. Allocates
// nothing.
void ForegroundProgram(char* out, size_t size);

#endif
