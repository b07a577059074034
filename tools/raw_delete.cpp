// Bench baseline: what deleting an installation costs at the speed of the file
// system. Reads a list of entries in an order where each one can go when its
// turn comes (contents before their directory), composes every full path, then
// asks the same question as the uninstaller ("Uninstall VEL", Yes/No) so that
// the bench times both programs the same way: from the answer to the exit.
// After Yes it deletes each entry once, with one call on its full path:
// RemoveDirectoryA for a line ending in a backslash, DeleteFileA otherwise.
// Usage: raw_delete <directory\> <list>. Exit code: the number of entries that
// did not go (at most 254), 255 when the list cannot be read. It has no
// console, so the exit code is all it reports.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc != 3)
        return 255;
    const char *directory = __argv[1];
    size_t directoryLen = strlen(directory);

    HANDLE file = CreateFileA(__argv[2], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 255;
    DWORD size = GetFileSize(file, NULL), got = 0;
    char *list = (char *)malloc(size + 1);
    if (!list || size == INVALID_FILE_SIZE || !ReadFile(file, list, size, &got, NULL) || got != size)
        return 255;
    CloseHandle(file);
    list[size] = 0;

    // Every path and its kind, ready before the question: the timed part is the deletion alone.
    size_t lines = 0;
    for (DWORD i = 0; i < size; i++)
        lines += list[i] == '\n';
    char **paths = (char **)malloc((lines + 1) * sizeof *paths);
    char *isDirectory = (char *)malloc(lines + 1);
    size_t count = 0;
    for (char *line = list; *line;) {
        char *end = line + strcspn(line, "\r\n");
        char *next = end + strspn(end, "\r\n");
        size_t len = (size_t)(end - line);
        if (len > 0) {
            char *path = (char *)malloc(directoryLen + len + 1);
            memcpy(path, directory, directoryLen);
            memcpy(path + directoryLen, line, len);
            isDirectory[count] = line[len - 1] == '\\';
            path[directoryLen + len - isDirectory[count]] = 0;   // no trailing backslash
            paths[count++] = path;
        }
        line = next;
    }

    if (MessageBoxA(NULL, "Delete the listed entries?", "Uninstall VEL", MB_YESNO) != IDYES)
        return 0;
    int left = 0;
    for (size_t i = 0; i < count; i++) {
        BOOL gone = isDirectory[i] ? RemoveDirectoryA(paths[i]) : DeleteFileA(paths[i]);
        left += !gone;
    }
    return left > 254 ? 254 : left;
}
