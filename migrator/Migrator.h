// The converter: an old bindings file in, configuration text of version "2.0" on standard
// output. Returns the exit status: 0 converted, 1 no file to read, 2 the file is damaged
// (what came before the damage is still printed, as a complete document).
#ifndef TAMBREL_MIGRATOR_H
#define TAMBREL_MIGRATOR_H

int RunMigrator(int argc, char** argv);

#endif
