// What cannot be removed now because another program holds it goes when
// Windows restarts. Windows restarts when its user chooses: never here.
#ifndef VEL_UNINSTALL_RESTART_H
#define VEL_UNINSTALL_RESTART_H

#include "base/modulepath_text.h"

// 1 when error is what a delete gives for a file in use: a running program or
// a loaded library (5, access denied), or one that another program holds
// open (32, a sharing violation).
int IsInUseError(unsigned long error);

// Schedules the file at path, a checked entry of the product, to be deleted
// when Windows restarts. On Windows NT it is first renamed in its own
// directory, so that a file installed again at path before then is not the
// one that goes (a file whose holder forbids even that keeps its name), then
// given to the system's list of files to delete at restart. On Windows
// 95/98/Me it gets a "NUL=<short path>" line in WININIT.INI, every line
// already there kept. 1 when scheduled; otherwise 0 and GetLastError says why.
// Files scheduled under their own names (their holders forbid the rename),
// which a folder may hold and still be empty at restart.
#define KEPT_NAMES 16
struct KeptNames {
    int count;
    char paths[KEPT_NAMES][PATH_SIZE];
};

// kept gets path when it is scheduled under its own name (one beyond its room
// is scheduled all the same, and its folder then stays).
int ScheduleFileAtRestart(const char *path, KeptNames *kept);

// Schedules the folder at path to be removed when Windows restarts, after
// what was scheduled before it (its contents first). Windows NT only: the
// others cannot remove a folder at restart (0, ERROR_NOT_SUPPORTED).
int ScheduleFolderAtRestart(const char *path);

// 1 when folder holds nothing but files scheduled by ScheduleFileAtRestart
// (renamed ones, and those in kept) and folders that hold nothing else
// either, except for the file named except (NULL: none): at restart it is
// empty, once its contents have gone.
int HoldsOnlyScheduled(const char *folder, const char *except, const KeptNames *kept);

#endif
