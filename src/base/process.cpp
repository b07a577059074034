#include "base/process.h"

OSVERSIONINFOA g_versionInfo;

void QueryPlatformVersion(void)
{
    g_versionInfo.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);   // 148
    GetVersionExA(&g_versionInfo);
}

int GetModulePath(char *path)
{
    DWORD len = GetModuleFileNameA(NULL, path, PATH_SIZE);
    if (len == 0 || len >= PATH_SIZE) {
        path[0] = 0;
        return 0;
    }
    path[len] = 0;
    return 1;
}
