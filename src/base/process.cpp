#include "base/process.h"
#include "base/product.h"
#include "base/codepage.h"

#include <shlobj.h>
#include <string.h>

OSVERSIONINFOA g_versionInfo;

void QueryPlatformVersion(void)
{
    g_versionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);   // 148
    GetVersionExA(&g_versionInfo);
}

int GetModulePath(char path[PATH_SIZE])
{
    path[0] = 0;
    if (!TextIsUtf8()) {
        DWORD len = GetModuleFileNameA(NULL, path, PATH_UNITS);
        if (len > 0 && len < PATH_UNITS)
            return 1;
        path[0] = 0;
        return 0;
    }
    WCHAR wide[PATH_UNITS];
    DWORD len = GetModuleFileNameW(NULL, wide, PATH_UNITS);
    if (len == 0 || len >= PATH_UNITS)
        return 0;
    wide[len] = 0;
    return WideToText(wide, path, PATH_SIZE);
}

int GetProgramsFolder(char path[PATH_SIZE])
{
    path[0] = 0;
    LPITEMIDLIST location;
    if (SHGetSpecialFolderLocation(NULL, CSIDL_PROGRAMS, &location) != S_OK)
        return 0;
    // In the program's own text: a profile may be named outside the ANSI code page.
    WCHAR wide[PATH_UNITS];
    BOOL found = TextIsUtf8() ? SHGetPathFromIDListW(location, wide) && WideToText(wide, path, PATH_SIZE)
                              : SHGetPathFromIDListA(location, path);
    // The shell's own allocator takes the list back: CoTaskMemFree would
    // bring in a whole DLL (ole32) for this one call.
    IMalloc *shellMalloc;
    if (SHGetMalloc(&shellMalloc) == S_OK) {
        shellMalloc->Free(location);
        shellMalloc->Release();
    }
    if (!found)
        path[0] = 0;
    return path[0] != 0;
}

int GetProgramPaths(ProgramPaths *paths)
{
    return GetModulePath(paths->module) && strrchr(paths->module, '\\')
        && ComposeProgramDirectory(paths->directory, PATH_SIZE, paths->module)
        && ComposeProgramFilePath(paths->directoryPrefix, PATH_SIZE, paths->module, "")
        && ComposeProgramFilePath(paths->list, PATH_SIZE, paths->module, LIST_FILE_NAME);
}
