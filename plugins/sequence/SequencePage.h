// The page of a sequence shortcut: an edit field that takes only what a shortcut can hold,
// and the programs the shortcut is for ("Only in:", empty for every program).
#ifndef TAMBRELPLUG_SEQUENCEPAGE_H
#define TAMBRELPLUG_SEQUENCEPAGE_H

#include "SettingsPage.h"

// The one page of the process, made on first use.
SettingsPage& SequencePage();

#endif
