// The process shell: platform set-up, the engine, the message loop, and the teardown.
#ifndef TAMBREL_SHELL_H
#define TAMBREL_SHELL_H

// Runs Tambrel until its message loop ends; the result is the process exit code.
int RunTambrel(int showCommand);

#endif
