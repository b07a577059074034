// Stands in for the file manager "Vel.exe" in end-to-end tests: records that
// it ran, by appending its own path and its arguments as one line to
// "ran.txt" beside itself, and ends.
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, path, sizeof path);
    if (len == 0 || len >= sizeof path)
        return 1;
    char record[MAX_PATH];
    memcpy(record, path, len + 1);
    char *slash = strrchr(record, '\\');
    if (!slash || (size_t)(slash - record) + sizeof "\\ran.txt" > sizeof record)
        return 1;
    memcpy(slash, "\\ran.txt", sizeof "\\ran.txt");

    HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, path, len, &written, NULL);
    WriteFile(file, "|", 1, &written, NULL);
    WriteFile(file, arguments, (DWORD)strlen(arguments), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
    return 0;
}
