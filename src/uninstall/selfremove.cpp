#include "uninstall/selfremove.h"
#include "uninstall/batch_text.h"
#include "base/process.h"
#include "base/product.h"
#include "base/bounded_text.h"
#include "base/wholefile.h"

#include <string.h>

#define COMMAND_LINE_SIZE 512

// The interpreter reads batch files in the OEM code page. 1 when path
// converted to it and back gives path again: a name that the OEM code page
// cannot hold would address another file.
static int ConvertToOem(const char *path, char *out, DWORD size)
{
    DWORD len = (DWORD)strlen(path);
    char back[PATH_SIZE];
    if (len >= size || len >= sizeof back)
        return 0;
    CharToOemBuffA(path, out, len);
    out[len] = 0;
    OemToCharBuffA(out, back, len);
    back[len] = 0;
    return strcmp(back, path) == 0;
}

// Writes the whole text; 0 when any of it is lost, and the file is then gone.
static int WriteBatchFile(const char *batchPath, const char *text)
{
    int written = WriteWholeFile(batchPath, text, (DWORD)strlen(text));
    // A batch file cut short could run half a command line.
    if (!written)
        DeleteFileA(batchPath);
    return written;
}

void StartSelfRemoval(const char *modulePath, const char *directory)
{
    // Every text is composed before the file is created; one that does not
    // fit would name another file, so it counts as a batch file that cannot be created.
    char batchPath[PATH_SIZE];
    DWORD len = GetTempPathA(sizeof batchPath, batchPath);
    if (len == 0 || len >= sizeof batchPath || !AppendText(batchPath, sizeof batchPath, BATCH_FILE_NAME))
        return;

    // How the interpreter is started follows the platform; what the batch
    // file says follows the interpreter that will read it.
    int windows9x = g_versionInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

    char interpreter[PATH_SIZE];
    interpreter[0] = 0;   // no COMSPEC: GetEnvironmentVariableA gives 0 and may write nothing
    len = GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter);
    if (len >= sizeof interpreter)
        return;
    char commandLine[COMMAND_LINE_SIZE];
    if (!ComposeText(commandLine, sizeof commandLine, "%s /c \"%s\"", interpreter, batchPath))
        return;

    char moduleOem[PATH_SIZE], directoryOem[PATH_SIZE], batchOem[PATH_SIZE];
    char text[BATCH_TEXT_SIZE];
    if (!ConvertToOem(modulePath, moduleOem, sizeof moduleOem)
        || !ConvertToOem(directory, directoryOem, sizeof directoryOem)
        || !ConvertToOem(batchPath, batchOem, sizeof batchOem)
        || !ComposeBatchText(text, sizeof text, BatchFormForInterpreter(interpreter), moduleOem, directoryOem,
                             batchOem))
        return;
    if (!WriteBatchFile(batchPath, text))
        return;

    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    memset(&process, 0, sizeof process);
    startup.cb = sizeof startup;   // 68
    HANDLE nul = INVALID_HANDLE_VALUE;
    if (windows9x) {
        // A detached interpreter has no console: its output goes nowhere.
        startup.dwFlags = STARTF_USESTDHANDLES;
        nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
        startup.hStdInput = nul;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    } else {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }

    // The interpreter inherits the current directory; the one its batch file
    // removes must not be it.
    SetCurrentDirectoryA("..");
    CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, windows9x ? DETACHED_PROCESS : 0, NULL, NULL,
                   &startup, &process);
    if (windows9x)
        CloseHandle(nul);
    ExitProcess(0);
}
