// Paths on their way to the W functions. Tambrel's texts are in the system code page, and a
// path with a character outside it comes back from the A functions with "?" and opens
// nothing; the W functions take every path. Both conversions report failure: a path that
// did not convert whole must never be used as if it had.
#ifndef TAMBREL_WIDEPATH_H
#define TAMBREL_WIDEPATH_H

#include <string>

// A text of the system code page in UTF-16; false (and *wide empty) when it does not convert.
bool WideFromAnsi(const std::string& text, std::wstring* wide);

// UTF-16 in the system code page; false when a character has no equivalent there or the
// conversion fails. *text then holds "?" for what is missing: enough to show, not to open.
bool AnsiFromWide(const std::wstring& wide, std::string* text);

#endif
