// The page of a sequence shortcut: one edit field that takes only what a shortcut can hold.
#ifndef TAMBRELPLUG_SEQUENCEPAGE_H
#define TAMBRELPLUG_SEQUENCEPAGE_H

#include "SettingsPage.h"

// The one page of the process, made on first use.
SettingsPage& SequencePage();

#endif
