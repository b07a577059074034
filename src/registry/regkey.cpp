#include "registry/regkey.h"
#include "base/lookup.h"

// root\path opened with the given options and access; NULL when it cannot be opened.
static HKEY OpenKey(HKEY root, const char *path, DWORD options, REGSAM access)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, options, access, &key) != ERROR_SUCCESS)
        return NULL;
    return key;
}

HKEY OpenRegistryKey(HKEY root, const char *path, REGSAM access)
{
    return OpenKey(root, path, 0, access);
}

int ReadRegistryValue(HKEY root, const char *path, const char *valueName, void *data, DWORD *size)
{
    HKEY key = OpenRegistryKey(root, path, KEY_READ);
    if (!key)
        return 0;
    LONG status = RegQueryValueExA(key, valueName, NULL, NULL, (BYTE *)data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int ReadRegistryString(HKEY root, const char *path, const char *valueName, char *buffer, DWORD size)
{
    if (size == 0)
        return 0;
    DWORD stored = size;
    if (ReadRegistryValue(root, path, valueName, buffer, &stored)) {
        // The stored bytes need not end in a terminator; the caller's text
        // must. A text that fills the buffer without one does not fit: cut,
        // it would name something else, so it is treated as too long.
        if (stored < size) {
            buffer[stored] = 0;
            return 1;
        }
        if (buffer[size - 1] == 0)
            return 1;
    }
    buffer[0] = 0;
    return 0;
}

HKEY CreateRegistryKey(HKEY root, const char *path)
{
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL)
        != ERROR_SUCCESS)
        return NULL;
    return key;
}

// ntdll exports it; no header for programs declares it.
extern "C" LONG NTAPI NtDeleteKey(HANDLE key);
typedef decltype(&NtDeleteKey) DeleteKeyFunction;

// NtDeleteKey deletes the key a handle stands for; RegDeleteKeyA opens the
// path anew and so deletes what a link points to. Windows NT has it and has
// links; Windows 95/98/Me have neither. It is asked for instead of the
// platform id, which an NT system in Windows 95 compatibility mode gives as 1.
static DeleteKeyFunction GetHandleDelete(void)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? LOOK_UP_FUNCTION(ntdll, NtDeleteKey) : NULL;
}

HKEY OpenRegistryKeyItself(HKEY root, const char *path, REGSAM access)
{
    // On Windows 95/98/Me the option is reserved and must be 0; there is no
    // link to open there.
    return OpenKey(root, path, GetHandleDelete() ? REG_OPTION_OPEN_LINK : 0, access);
}

int IsRegistryLink(HKEY key)
{
    // What makes a link: its target, in this value of this type. An ordinary
    // key opened as itself has no such value.
    DWORD type = REG_NONE;
    return RegQueryValueExA(key, "SymbolicLinkValue", NULL, &type, NULL, NULL) == ERROR_SUCCESS
        && type == REG_LINK;
}

int DeleteRegistryKeyItself(HKEY root, const char *path, HKEY key)
{
    DeleteKeyFunction deleteByHandle = GetHandleDelete();
    if (deleteByHandle)
        return deleteByHandle(key) == 0;
    return RegDeleteKeyA(root, path) == ERROR_SUCCESS;   // no links on this system
}

int DeleteRegistryKeyAtPath(HKEY root, const char *path)
{
    HKEY key = OpenRegistryKeyItself(root, path, KEY_QUERY_VALUE | DELETE);
    if (!key)
        return 0;
    int deleted = DeleteRegistryKeyItself(root, path, key);
    RegCloseKey(key);
    return deleted;
}
