// Self-removal: the program's file and directory go after the process has ended.
#ifndef VEL_UNINSTALL_SELFREMOVE_H
#define VEL_UNINSTALL_SELFREMOVE_H

#include <windows.h>

// How the self-removal went: started, or the step at which it could not hand
// over to the batch file.
enum SelfRemovalStep {
    SELF_REMOVAL_STARTED,          // the batch file was written and its interpreter started
    SELF_REMOVAL_BATCH_PATH,       // no temporary directory, or its path and the file name do not fit
    SELF_REMOVAL_INTERPRETER,      // COMSPEC unset, empty or too long, or the command line does not fit
    SELF_REMOVAL_BATCH_TEXT,       // a path the OEM code page cannot hold, or that del reads as a pattern
    SELF_REMOVAL_WRITE,            // the batch file could not be written whole
    SELF_REMOVAL_START,            // the interpreter could not be started
    SELF_REMOVAL_STEPS
};

// What the report says of each step: "written and started", or whether the
// batch file was not written or not started.
const char *SelfRemovalStepText(SelfRemovalStep step);

// The step, for a failed one the system's error number (one of ours where
// no call failed), and the number of the batch file's name (1: the usual
// "Uninstall.Vel.Bat"; see ComposeBatchPath).
struct SelfRemovalOutcome {
    SelfRemovalStep step;
    DWORD error;
    int batchNumber;
};

// Writes "Uninstall.Vel.Bat" into the temporary directory and starts the
// command interpreter on it without a window; the caller then ends the
// process at once, since the batch file's deletions begin a second later.
// The batch file removes directory (the program directory, which is current)
// unless it is a drive root, and with finalMessage starts this program with
// "Warning" when its file stays. When it cannot hand over, no batch file of
// this run is left behind, and the program's file and directory stay: the
// caller must tell the user.
SelfRemovalOutcome StartSelfRemoval(const char *modulePath, const char *directory, int finalMessage);

#endif
