// The built-in key name table: what the key table holds when there is no conf.xml.
#ifndef TAMBREL_KEYNAMES_H
#define TAMBREL_KEYNAMES_H

#include <stddef.h>

struct BuiltInKey {
  const char* name;
  int vk;
  const char* text;
};

extern const BuiltInKey kBuiltInKeys[];
extern const size_t kBuiltInKeyCount;

#endif
