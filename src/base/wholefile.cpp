#include "base/wholefile.h"
#include "base/files.h"

int WriteWholeFile(const char *path, const void *data, DWORD size)
{
    // Shared for reading and writing as the C library's "wb" opens it; no
    // delete sharing, which Windows 95 does not know.
    HANDLE file = OpenFileAt(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    int whole = size == 0 || (WriteFile(file, data, size, &written, NULL) && written == size);
    return CloseHandle(file) && whole;   // closed in any case
}
