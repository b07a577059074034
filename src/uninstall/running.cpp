#include "uninstall/running.h"
#include "uninstall/listentry_text.h"
#include "base/bounded_text.h"
#include "base/lookup.h"
#include "base/codepage.h"

#include <tlhelp32.h>
#include <string.h>

// The full path of the program file of the process in entry, into path.
// Windows 95/98/Me give it in the snapshot; Windows NT gives the file name
// only, and the whole path, in UTF-16, to a question asked of the process
// (Vista and later) or of its first module (2000 and XP).
static int GetProgramPath(const PROCESSENTRY32 *entry, char path[PATH_SIZE], HMODULE kernel)
{
    if (strchr(entry->szExeFile, '\\'))
        return CopyText(path, PATH_SIZE, entry->szExeFile);
    WCHAR wide[PATH_UNITS];
    int known = 0;
    auto queryPath = LOOK_UP_FUNCTION(kernel, QueryFullProcessImageNameW);
    if (queryPath) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry->th32ProcessID);
        DWORD size = PATH_UNITS;
        known = process && queryPath(process, 0, wide, &size);
        if (process)
            CloseHandle(process);
    } else {
        auto snapshot = LOOK_UP_FUNCTION(kernel, CreateToolhelp32Snapshot);
        auto firstModule = LOOK_UP_FUNCTION(kernel, Module32FirstW);
        HANDLE modules = snapshot && firstModule ? snapshot(TH32CS_SNAPMODULE, entry->th32ProcessID)
                                                 : INVALID_HANDLE_VALUE;
        if (modules == INVALID_HANDLE_VALUE)
            return 0;
        MODULEENTRY32W module;
        module.dwSize = sizeof module;
        known = firstModule(modules, &module) && lstrlenW(module.szExePath) < PATH_UNITS;
        if (known)
            memcpy(wide, module.szExePath, sizeof wide);
        CloseHandle(modules);
    }
    return known && WideToText(wide, path, PATH_SIZE);
}

// 1 when the program file at path is one of the product's: it lies below the
// program directory, and, where that is a drive's root ("C:\\"), in the root
// itself, since every program of the drive lies below a root, the system's
// own among them.
static int IsProductProgram(const char *path, const char *directoryPrefix)
{
    size_t prefixLen = strlen(directoryPrefix);
    return PathIsStrictlyInside(path, directoryPrefix) && (prefixLen > 3 || !strchr(path + prefixLen, '\\'));
}

void FindRunningPrograms(const char *directoryPrefix, RunningPrograms *found)
{
    found->count = 0;
    HMODULE kernel = GetModuleHandleA("kernel32");
    auto snapshot = LOOK_UP_FUNCTION(kernel, CreateToolhelp32Snapshot);
    auto first = LOOK_UP_FUNCTION(kernel, Process32First);
    auto next = LOOK_UP_FUNCTION(kernel, Process32Next);
    if (!snapshot || !first || !next)
        return;   // Windows NT 4
    HANDLE processes = snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    DWORD self = GetCurrentProcessId();
    for (BOOL more = first(processes, &entry); more && found->count < RUNNING_MAX; more = next(processes, &entry)) {
        char path[PATH_SIZE];
        if (entry.th32ProcessID == self || !GetProgramPath(&entry, path, kernel)
            || !IsProductProgram(path, directoryPrefix))
            continue;
        found->ids[found->count] = entry.th32ProcessID;
        CopyText(found->names[found->count], PATH_SIZE, strrchr(path, '\\') + 1);
        found->count++;
    }
    CloseHandle(processes);
}

int IsRunning(const RunningPrograms *programs, DWORD id)
{
    for (int i = 0; i < programs->count; i++)
        if (programs->ids[i] == id)
            return 1;
    return 0;
}

// Posts WM_CLOSE to a window of one of the programs that a user could close:
// visible, top-level, without an owner. A process's hidden windows (an input
// method's, a message window) are not its user's to close.
static BOOL CALLBACK AskWindowToClose(HWND window, LPARAM programs)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (IsRunning((const RunningPrograms *)programs, id) && IsWindowVisible(window) && !GetWindow(window, GW_OWNER))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void ClosePrograms(const char *directoryPrefix, RunningPrograms *found, DWORD waitMilliseconds)
{
    EnumWindows(AskWindowToClose, (LPARAM)found);
    for (DWORD waited = 0; found->count > 0 && waited < waitMilliseconds; waited += 100) {
        Sleep(100);
        FindRunningPrograms(directoryPrefix, found);
    }
}

void ListProgramNames(const RunningPrograms *programs, char *out, size_t size)
{
    CopyText(out, size, "");
    for (int i = 0; i < programs->count; i++) {
        int shown = 0;
        for (int j = 0; j < i && !shown; j++)
            shown = EqualsNoCase(programs->names[i], programs->names[j]);
        if (shown)
            continue;
        if (out[0])
            AppendText(out, size, ", ");
        AppendText(out, size, programs->names[i]);
    }
}
