// The notice's list of what can still be typed while Tambrel is toggled. Triggers of this
// library are its sources; the notice asks them on its own window, never inside the hook.
#ifndef TAMBRELPLUG_CHEATSHEET_H
#define TAMBRELPLUG_CHEATSHEET_H

#include <stddef.h>

struct SheetRow {
  int actionId;
  const char* shortcut;  // the whole shortcut text; valid until the source's bindings change
  size_t typed;          // how many of its first characters were typed already
};

class SheetSource {
 public:
  // Up to max rows in shortcut order, the ones the next keys can complete (every binding
  // when none can be); returns how many there are in all.
  virtual size_t SheetRows(SheetRow* rows, size_t max) = 0;
  // Whether what was typed leads to some of its bindings: then only the rows of sources that
  // lead somewhere are listed, and a source that would list everything stays out.
  virtual bool LeadsOn() { return false; }
};

// Told by a source when what it would list changes. Called inside the keyboard hook: it
// only posts a message.
class SheetListener {
 public:
  virtual void SheetChanged() = 0;
};

// The library's sources and its one listener, each there from its construction to its
// destruction, in whatever order the plugins come and go.
void AddSheetSource(SheetSource* source);
void RemoveSheetSource(SheetSource* source);
SheetSource* const* SheetSources(size_t* count);
void SetSheetListener(SheetListener* listener);  // null: nobody listens
void SheetChanged();                             // tells the listener, if any

#endif
