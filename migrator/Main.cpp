// migrator.exe: converts an old bindings file into configuration text.
#include "Migrator.h"

int main(int argc, char** argv) { return RunMigrator(argc, argv); }
