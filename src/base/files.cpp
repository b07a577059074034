#include "base/files.h"
#include "base/codepage.h"
#include "base/utf8_text.h"
#include "base/bounded_text.h"

#include <string.h>

// path in UTF-16 into wide; 0, with the error a path too long gives, when it
// cannot be had whole.
static int Widen(const char *path, WCHAR wide[PATH_UNITS])
{
    if (TextToWide(path, wide, PATH_UNITS))
        return 1;
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
}

DWORD GetAttributesOf(const char *path)
{
    if (!TextIsUtf8())
        return GetFileAttributesA(path);
    WCHAR wide[PATH_UNITS];
    return Widen(path, wide) ? GetFileAttributesW(wide) : INVALID_FILE_ATTRIBUTES;
}

BOOL SetAttributesOf(const char *path, DWORD attributes)
{
    if (!TextIsUtf8())
        return SetFileAttributesA(path, attributes);
    WCHAR wide[PATH_UNITS];
    return Widen(path, wide) && SetFileAttributesW(wide, attributes);
}

BOOL DeleteFileAt(const char *path)
{
    if (!TextIsUtf8())
        return DeleteFileA(path);
    WCHAR wide[PATH_UNITS];
    return Widen(path, wide) && DeleteFileW(wide);
}

BOOL RemoveFolderAt(const char *path)
{
    if (!TextIsUtf8())
        return RemoveDirectoryA(path);
    WCHAR wide[PATH_UNITS];
    return Widen(path, wide) && RemoveDirectoryW(wide);
}

HANDLE OpenFileAt(const char *path, DWORD access, DWORD share, SECURITY_ATTRIBUTES *security, DWORD disposition,
                  DWORD flags)
{
    if (!TextIsUtf8())
        return CreateFileA(path, access, share, security, disposition, flags, NULL);
    WCHAR wide[PATH_UNITS];
    if (!Widen(path, wide))
        return INVALID_HANDLE_VALUE;
    return CreateFileW(wide, access, share, security, disposition, flags, NULL);
}

BOOL MovePath(const char *from, const char *to, DWORD flags)
{
    if (!TextIsUtf8())
        return MoveFileExA(from, to, flags);
    WCHAR wideFrom[PATH_UNITS], wideTo[PATH_UNITS];
    return Widen(from, wideFrom) && (!to || Widen(to, wideTo)) && MoveFileExW(wideFrom, to ? wideTo : NULL, flags);
}

BOOL SetCurrentFolder(const char *path)
{
    if (!TextIsUtf8())
        return SetCurrentDirectoryA(path);
    WCHAR wide[PATH_UNITS];
    return Widen(path, wide) && SetCurrentDirectoryW(wide);
}

// The wide search's entry as the program's text.
static BOOL TakeFound(BOOL found, const WIN32_FIND_DATAW *data, FoundEntry *out)
{
    if (found) {
        out->attributes = data->dwFileAttributes;
        if (!WideToText(data->cFileName, out->name, PATH_SIZE))
            out->name[0] = 0;
    }
    return found;
}

HANDLE FindFirstIn(const char *pattern, FoundEntry *found)
{
    if (!TextIsUtf8()) {
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA(pattern, &data);
        if (search != INVALID_HANDLE_VALUE) {
            CopyText(found->name, PATH_SIZE, data.cFileName);
            found->attributes = data.dwFileAttributes;
        }
        return search;
    }
    WCHAR wide[PATH_UNITS];
    WIN32_FIND_DATAW data;
    if (!Widen(pattern, wide))
        return INVALID_HANDLE_VALUE;
    HANDLE search = FindFirstFileW(wide, &data);
    TakeFound(search != INVALID_HANDLE_VALUE, &data, found);
    return search;
}

BOOL FindNextIn(HANDLE search, FoundEntry *found)
{
    if (!TextIsUtf8()) {
        WIN32_FIND_DATAA data;
        if (!FindNextFileA(search, &data))
            return FALSE;
        CopyText(found->name, PATH_SIZE, data.cFileName);
        found->attributes = data.dwFileAttributes;
        return TRUE;
    }
    WIN32_FIND_DATAW data;
    return TakeFound(FindNextFileW(search, &data), &data, found);
}

int GetFullPathOf(const char *path, char out[PATH_SIZE])
{
    out[0] = 0;
    if (!TextIsUtf8()) {
        char *namePart;
        DWORD len = GetFullPathNameA(path, PATH_UNITS, out, &namePart);
        if (len > 0 && len < PATH_UNITS)
            return 1;
        out[0] = 0;
        return 0;
    }
    WCHAR wide[PATH_UNITS], full[PATH_UNITS], *namePart;
    DWORD len = Widen(path, wide) ? GetFullPathNameW(wide, PATH_UNITS, full, &namePart) : 0;
    return len > 0 && len < PATH_UNITS && WideToText(full, out, PATH_SIZE);
}

int FitsPath(const char *path, int extra)
{
    size_t units = TextIsUtf8() ? Utf8WideLength(path) : strlen(path);
    return units + (size_t)extra < PATH_UNITS;
}

int GetTempFolder(char out[PATH_SIZE])
{
    out[0] = 0;
    if (!TextIsUtf8()) {
        DWORD len = GetTempPathA(PATH_UNITS, out);
        if (len > 0 && len < PATH_UNITS)
            return 1;
        out[0] = 0;
        if (len)
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    WCHAR wide[PATH_UNITS];
    DWORD len = GetTempPathW(PATH_UNITS, wide);
    if (len >= PATH_UNITS || (len > 0 && !WideToText(wide, out, PATH_SIZE))) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    return len > 0;
}

DWORD GetVariable(const char *name, char *out, DWORD size)
{
    if (!TextIsUtf8())
        return GetEnvironmentVariableA(name, out, size);
    WCHAR wideName[64], wide[PATH_UNITS];
    if (size > 0)
        out[0] = 0;
    if (!TextToWide(name, wideName, 64))
        return 0;
    DWORD len = GetEnvironmentVariableW(wideName, wide, PATH_UNITS);
    if (len == 0)
        return 0;
    if (len >= PATH_UNITS || !WideToText(wide, out, (int)size))
        return size;   // too long to be had whole
    return (DWORD)strlen(out);
}

BOOL StartProgram(char *commandLine, DWORD creationFlags, STARTUPINFOA *startup)
{
    PROCESS_INFORMATION process;
    if (!TextIsUtf8())
        return CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, creationFlags, NULL, NULL, startup, &process);
    // The same record: the texts it could point to are not used here.
    STARTUPINFOW wideStartup;
    memcpy(&wideStartup, startup, sizeof wideStartup);
    wideStartup.cb = sizeof wideStartup;
    WCHAR wide[1024];
    if (!TextToWide(commandLine, wide, 1024)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return CreateProcessW(NULL, wide, NULL, NULL, TRUE, creationFlags, NULL, NULL, &wideStartup, &process);
}
