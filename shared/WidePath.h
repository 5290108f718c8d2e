// Paths inside Tambrel are UTF-16 and go to the W functions. The system code page cannot hold
// every character of a folder's name (a Greek or Cyrillic one on a Western system): a path
// through an A function comes back with "?" and opens nothing. (The manifest's UTF-8 code page
// is no answer: Windows before 1903 and GDI ignore it.) Tambrel's own texts stay in the system
// code page; a path shown in one of them is only shown. Both checked conversions report
// failure: a path that did not convert whole must never be used as if it had.
#ifndef TAMBREL_WIDEPATH_H
#define TAMBREL_WIDEPATH_H

#include <string>

// A text of the system code page in UTF-16; false (and *wide empty) when it does not convert.
bool WideFromAnsi(const std::string& text, std::wstring* wide);

// UTF-16 in the system code page; false when a character has no equivalent there or the
// conversion fails. *text then holds "?" for what is missing: enough to show, not to open.
bool AnsiFromWide(const std::wstring& wide, std::string* text);

// A path or name as Tambrel's 8-bit texts show it (boxes, the log, lists, the debug report):
// a character that the code page lacks as "?".
std::string ShownText(const std::wstring& wide);

// The process's current folder, which holds conf.xml and the plugins, without a limit on its
// length; empty when it cannot be read.
std::wstring CurrentFolder();

#endif
