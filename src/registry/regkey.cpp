#include "registry/regkey.h"
#include "base/lookup.h"
#include "base/codepage.h"

#include <string.h>

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

// The text of valueName of root\path as the program's UTF-8, read in UTF-16:
// 1 when read whole, 0 when not; -1 for a value that is no text, whose
// bytes the caller reads as they are stored.
static int ReadRegistryWideString(HKEY root, const char *path, const char *valueName, char *buffer, DWORD size)
{
    WCHAR name[SETTINGS_NAME_UNITS], text[CONVERTED_TEXT_SIZE];
    DWORD stored = sizeof text - sizeof(WCHAR), type = REG_NONE;   // room kept for a terminator the value lacks
    HKEY key = OpenRegistryKey(root, path, KEY_READ);
    if (!key)
        return 0;
    LONG status = TextToWide(valueName, name, SETTINGS_NAME_UNITS)
        ? RegQueryValueExW(key, name, NULL, &type, (BYTE *)text, &stored)
        : ERROR_INVALID_PARAMETER;
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return -1;   // no text: its bytes are read as they are
    text[stored / sizeof(WCHAR)] = 0;
    return WideToText(text, buffer, (int)size);
}

int ReadRegistryString(HKEY root, const char *path, const char *valueName, char *buffer, DWORD size)
{
    if (size == 0)
        return 0;
    int wide = TextIsUtf8() ? ReadRegistryWideString(root, path, valueName, buffer, size) : -1;
    if (wide >= 0) {
        if (!wide)
            buffer[0] = 0;
        return wide;
    }
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

int SetRegistryText(HKEY key, const char *valueName, const char *text)
{
    if (!TextIsUtf8())
        return RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1) == ERROR_SUCCESS;
    WCHAR name[SETTINGS_NAME_UNITS], wide[CONVERTED_TEXT_SIZE];
    return TextToWide(valueName, name, SETTINGS_NAME_UNITS) && TextToWide(text, wide, CONVERTED_TEXT_SIZE)
        && RegSetValueExW(key, name, 0, REG_SZ, (const BYTE *)wide, (DWORD)(lstrlenW(wide) + 1) * sizeof(WCHAR))
               == ERROR_SUCCESS;
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
