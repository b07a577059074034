// Self-removal: the program's file and directory go after the process has ended.
#ifndef VEL_UNINSTALL_SELFREMOVE_H
#define VEL_UNINSTALL_SELFREMOVE_H

// Writes "Uninstall.Vel.Bat" into the temporary directory, starts the
// command interpreter on it without a window and ends the process (exit code
// 0). The batch file removes directory (the program directory, which is
// current) unless it is a drive root. Returns only when the batch file
// cannot be created.
void StartSelfRemoval(const char *modulePath, const char *directory);

#endif
