#include "uninstall/restart.h"
#include "uninstall/restart_text.h"
#include "base/bounded_text.h"
#include "base/process.h"
#include "base/wholefile.h"
#include "base/files.h"

#include <string.h>

// Room for WININIT.INI: Windows 95/98/Me keep it short, and carry it out
// and rename it at every start. A longer one is not written over.
#define WININIT_SIZE 16384
#define RESTART_NAMES 99   // ".~vel1" to ".~vel99"

int IsInUseError(unsigned long error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

static int IsWindows9x(void)
{
    return g_versionInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// Adds "NUL=<short path>" to WININIT.INI's [rename] section. The profile
// functions keep one "NUL" key only, and every line is someone's: the file
// is edited whole.
static int AddToWininit(const char *path)
{
    char shortPath[PATH_SIZE], line[PATH_SIZE + 8], windows[PATH_SIZE], wininit[PATH_SIZE];
    DWORD len = GetShortPathNameA(path, shortPath, sizeof shortPath);
    UINT windowsLen = GetWindowsDirectoryA(windows, sizeof windows);
    if (len == 0 || len >= sizeof shortPath || windowsLen == 0 || windowsLen >= sizeof windows
        || !ComposeText(line, sizeof line, "NUL=%s", shortPath)
        || !ComposeText(wininit, sizeof wininit, "%s%sWININIT.INI", windows, windows[windowsLen - 1] == '\\' ? "" : "\\")) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    char text[WININIT_SIZE], changed[WININIT_SIZE];
    DWORD read = 0;
    HANDLE file = CreateFileA(wininit, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        BOOL ok = ReadFile(file, text, sizeof text, &read, NULL);
        CloseHandle(file);
        if (!ok || read == sizeof text) {
            SetLastError(ERROR_FILE_TOO_LARGE);   // not read whole: not written over
            return 0;
        }
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return 0;
    }
    if (!AddRenameLine(changed, sizeof changed, text, read, line)) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return 0;
    }
    return WriteWholeFile(wininit, changed, (DWORD)strlen(changed));
}

int ScheduleFileAtRestart(const char *path, KeptNames *kept)
{
    if (IsWindows9x())
        return AddToWininit(path);
    char renamed[PATH_SIZE];
    const char *scheduled = path;
    for (int number = 1; number <= RESTART_NAMES; number++) {
        if (!ComposeRestartName(renamed, sizeof renamed, path, number))
            break;   // no room for the name: it goes under its own
        if (MovePath(path, renamed, 0)) {
            scheduled = renamed;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            break;   // held so that it cannot even be renamed: it goes under its own name
    }
    if (!MovePath(scheduled, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        return 0;
    if (scheduled == path && kept->count < KEPT_NAMES)
        CopyText(kept->paths[kept->count++], PATH_SIZE, path);
    return 1;
}

int ScheduleFolderAtRestart(const char *path)
{
    if (IsWindows9x()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    return MovePath(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// 1 when name is one that ScheduleFileAtRestart gives: ".~vel" and digits at its end.
static int IsRestartName(const char *name)
{
    const char *mark = strstr(name, ".~vel");
    if (!mark)
        return 0;
    const char *digits = mark + 5;
    while (*digits >= '0' && *digits <= '9')
        digits++;
    return digits > mark + 5 && *digits == 0 && !strstr(mark + 1, ".~vel");
}

// 1 when path is among kept.
static int IsKept(const char *path, const KeptNames *kept)
{
    for (int i = 0; i < kept->count; i++)
        if (EqualsNoCase(path, kept->paths[i]))
            return 1;
    return 0;
}

int HoldsOnlyScheduled(const char *folder, const char *except, const KeptNames *kept)
{
    char pattern[PATH_SIZE], entry[PATH_SIZE];
    if (!ComposeText(pattern, sizeof pattern, "%s\\*", folder))
        return 0;
    FoundEntry found;
    HANDLE search = FindFirstIn(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int only = 1;
    do {
        if (!strcmp(found.name, ".") || !strcmp(found.name, ".."))
            continue;
        if (except && EqualsNoCase(found.name, except))
            continue;
        // A link is never entered, and never ours to schedule.
        if ((found.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !found.name[0]
            || !ComposeText(entry, sizeof entry, "%s\\%s", folder, found.name))
            only = 0;
        else if (found.attributes & FILE_ATTRIBUTE_DIRECTORY)
            only = HoldsOnlyScheduled(entry, NULL, kept);
        else
            only = IsRestartName(found.name) || IsKept(entry, kept);
    } while (only && FindNextIn(search, &found));
    FindClose(search);
    return only;
}
