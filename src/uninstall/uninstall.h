// The default mode: remove the installed product.
#ifndef VEL_UNINSTALL_UNINSTALL_H
#define VEL_UNINSTALL_UNINSTALL_H

#include <stdio.h>

// Asks, then deletes what the list file names, the program group, the
// settings trees and the system registrations, and hands over to the
// self-removal batch file. Returns only when it stops early.
void RunUninstall(void);

// Deletion passes over the open list file: each line is an entry below
// directoryPrefix (a directory path ending in a backslash); a new pass starts
// while the last one deleted something. Returns the number of passes.
int RunDeletionPasses(FILE *list, const char *directoryPrefix);

#endif
