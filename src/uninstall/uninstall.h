// The default mode: remove the installed product.
#ifndef VEL_UNINSTALL_UNINSTALL_H
#define VEL_UNINSTALL_UNINSTALL_H

// Asks, then deletes what the list file names, the program group, the
// settings trees and the system registrations, and hands over to the
// self-removal batch file; the final message when that could not take over.
// The command line's words "/S" (silent: no question, no window) and
// "/LOG=<file>" (a report) change how. Returns the exit code: 0 without
// "/S"; with it 0 when everything went, 1 when nothing was changed (no list,
// or a program directory that cannot be worked in), 2 when something stayed
// or the report could not be written.
int RunUninstall(const char *commandLine);

#endif
