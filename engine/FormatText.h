#ifndef TAMBREL_FORMATTEXT_H
#define TAMBREL_FORMATTEXT_H

#include <stdarg.h>

#include <string>

// printf into a string of whatever length the arguments need.
std::string FormatText(const char* format, va_list args);

#endif
