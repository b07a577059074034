#include "base/process.h"
#include "base/product.h"

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
    DWORD len = GetModuleFileNameA(NULL, path, PATH_SIZE);
    if (len == 0 || len >= PATH_SIZE) {
        path[0] = 0;
        return 0;
    }
    path[len] = 0;
    return 1;
}

int GetProgramsFolder(char path[PATH_SIZE])
{
    path[0] = 0;
    LPITEMIDLIST location;
    if (SHGetSpecialFolderLocation(NULL, CSIDL_PROGRAMS, &location) != S_OK)
        return 0;
    BOOL found = SHGetPathFromIDListA(location, path);
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
