// One Tambrel per sign-in session, at every moment: two would each install a hook and a tray
// icon, and each write conf.xml over the other's edits.
#ifndef TAMBREL_ONECOPY_H
#define TAMBREL_ONECOPY_H

#include "UniqueHandle.h"

// Takes the session's name for this start. False when another copy runs, with the exit
// code: 0 when it was asked to show its main window; 1, said in a box, when it does not
// answer or may not be asked. A copy that is shutting down is waited for first.
bool TakeSessionName(UniqueKernelHandle* name, int* exitCode);

#endif
