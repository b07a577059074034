// Self-removal: the program's file and directory go after the process has ended.
#ifndef VEL_UNINSTALL_SELFREMOVE_H
#define VEL_UNINSTALL_SELFREMOVE_H

#include <windows.h>

// The step at which the self-removal could not hand over to the batch file.
enum SelfRemovalStep {
    SELF_REMOVAL_BATCH_PATH = 1,   // no temporary directory, or its path and the file name do not fit
    SELF_REMOVAL_INTERPRETER,      // COMSPEC unset, empty or too long, or the command line does not fit
    SELF_REMOVAL_BATCH_TEXT,       // a path the OEM code page cannot hold, or that del reads as a pattern
    SELF_REMOVAL_WRITE,            // the batch file could not be written whole
    SELF_REMOVAL_START,            // the interpreter could not be started
};

// What a self-removal that could not hand over tells its caller: the step
// and the system's error number (one of ours where no call failed).
struct SelfRemovalFailure {
    SelfRemovalStep step;
    DWORD error;
};

// Writes "Uninstall.Vel.Bat" into the temporary directory, starts the
// command interpreter on it without a window and ends the process (exit code
// 0). The batch file removes directory (the program directory, which is
// current) unless it is a drive root. Returns only when it cannot hand over;
// no batch file of this run is left behind then, and the program's file and
// directory stay: the caller must tell the user.
SelfRemovalFailure StartSelfRemoval(const char *modulePath, const char *directory);

#endif
