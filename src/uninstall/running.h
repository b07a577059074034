// Programs of the product that run while it is uninstalled: their files
// cannot be deleted while they run.
#ifndef VEL_UNINSTALL_RUNNING_H
#define VEL_UNINSTALL_RUNNING_H

#include "base/modulepath_text.h"

#include <windows.h>

#define RUNNING_MAX 16   // programs told apart; more are not looked at

// Processes whose program file lies in the program directory or below it,
// this process aside: each one's id and file name ("Vel.exe").
struct RunningPrograms {
    int count;
    DWORD ids[RUNNING_MAX];
    char names[RUNNING_MAX][PATH_SIZE];
};

// Finds the programs below directoryPrefix (a full path in long names,
// ending in a backslash), by their full paths compared without regard to the
// case of ASCII letters; below a drive's root only those in the root itself.
// Where the system has no process snapshot (Windows NT 4) it finds none.
void FindRunningPrograms(const char *directoryPrefix, RunningPrograms *found);

// Asks each of the programs to close, as a click on its window's close box
// does (WM_CLOSE to each visible top-level window that has no owner), and
// waits up to waitMilliseconds for them to end; none is ever ended by force.
// found then holds those that still run.
void ClosePrograms(const char *directoryPrefix, RunningPrograms *found, DWORD waitMilliseconds);

// Each name once, separated by ", ", into out (size bytes): for the user to
// read, so it is cut to fit.
void ListProgramNames(const RunningPrograms *programs, char *out, size_t size);

// 1 when the process id is among programs.
int IsRunning(const RunningPrograms *programs, DWORD id);

#endif
