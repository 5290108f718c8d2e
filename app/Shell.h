// The process shell: platform set-up, the engine, the message loop, and the teardown.
#ifndef TAMBREL_SHELL_H
#define TAMBREL_SHELL_H

// Runs Tambrel until its message loop ends; the result is the process exit code.
int RunTambrel(int showCommand);

// "DialogOverlayControl": a plain container that dialog templates place as a control; the
// dialog that owns one subclasses it. It paints nothing of its own.
void RegisterOverlayClass();
void UnregisterOverlayClass();

#endif
