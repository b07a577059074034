#include "registry/regkey.h"

HKEY OpenRegistryKey(HKEY root, const char *path, REGSAM access)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS)
        return NULL;
    return key;
}

HKEY CreateRegistryKey(HKEY root, const char *path)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL)
        != ERROR_SUCCESS)
        return NULL;
    return key;
}
