// A plugin object is its Plugin table followed by its role tables. Plugin and the role
// interfaces each have a GetName of the same shape with different answers (the plugin's
// name, the type's name); these parts give each its own.
#ifndef TAMBRELPLUG_ROLEPARTS_H
#define TAMBRELPLUG_ROLEPARTS_H

#include "TambrelPlugin.h"

class ActionTypePart : public ActionType {
 public:
  const char* GetName() final { return TypeName(); }

 protected:
  virtual const char* TypeName() = 0;
};

class ShortcutTypePart : public ShortcutType {
 public:
  const char* GetName() final { return TypeName(); }

 protected:
  virtual const char* TypeName() = 0;
};

#endif
