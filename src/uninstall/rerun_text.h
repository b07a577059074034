// What lets an uninstall be run again after it was stopped, and keeps two
// uninstalls of one installation from running at once. No system calls:
// also built natively.
#ifndef VEL_UNINSTALL_RERUN_TEXT_H
#define VEL_UNINSTALL_RERUN_TEXT_H

#include <stddef.h>

// The name of the lock an uninstall holds while it runs: "VelUninstall-" and
// eight hex digits made from the program directory (ASCII letters folded, so
// that two spellings of one directory share it). A lock name may not hold a
// backslash, and a path may be longer than a name may be. 1 when it fit in
// size bytes; otherwise out is "" and 0.
int ComposeUninstallLockName(char *out, size_t size, const char *directory);

// 1 when command, an "UninstallString" as the Programs list starts it, names
// the program at modulePath: the whole command, or the text between its
// opening quote and the next one, equal to modulePath with ASCII letters
// compared without regard to case.
int CommandNamesProgram(const char *command, const char *modulePath);

#endif
