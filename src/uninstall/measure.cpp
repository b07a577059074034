#include "uninstall/measure.h"
#include "uninstall/passes.h"
#include "base/process.h"

// The size of the file at path, opened as itself where its final path is
// expected (NULL: any); 0 for a folder, a link, or one that cannot be opened.
static ULONGLONG SizeOfFile(const char *path, const WCHAR *expected)
{
    HANDLE file = OpenEntryItself(path, expected);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    // A folder, and a link opened as itself, have no size of their own.
    BY_HANDLE_FILE_INFORMATION information;
    ULONGLONG size = 0;
    if (GetFileInformationByHandle(file, &information))
        size = (ULONGLONG)information.nFileSizeHigh << 32 | information.nFileSizeLow;
    CloseHandle(file);
    return size;
}

int MeasureInstallation(DWORD *installedKiB)
{
    ProgramPaths paths;
    ListReader list;
    if (!GetProgramPaths(&paths) || !OpenListFile(&list, paths.list))
        return 0;
    // Each entry judged as the uninstall judges it, and nothing deleted.
    DeletionRun run;
    StartDeletionRun(&run, paths.directoryPrefix, paths.module);
    // The uninstall deletes this program's file and the list too.
    ULONGLONG bytes = SizeOfFile(paths.module, NULL) + SizeOfFile(paths.list, NULL);
    char line[LIST_LINE_BYTES], path[PATH_SIZE];
    WCHAR expected[ENTRY_FINAL_SIZE];
    int result;
    while ((result = ReadEntryLine(&list, line)) != LIST_END) {
        if (result != LIST_LINE_READ)
            continue;
        TrimLineEnd(line);
        // This program and the list are counted above, listed or not.
        if (line[0] && JudgeListEntry(&run, line, path, expected) == ENTRY_TAKEN && !IsOwnFile(&run, path))
            bytes += SizeOfFile(path, expected);
    }
    CloseListFile(&list);
    ULONGLONG kib = (bytes + 1023) >> 10;
    *installedKiB = kib > 0xFFFFFFFE ? 0xFFFFFFFE : (DWORD)kib;
    return 1;
}
