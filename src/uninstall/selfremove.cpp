#include "uninstall/selfremove.h"
#include "uninstall/batch_text.h"
#include "base/process.h"
#include "base/product.h"
#include "base/bounded_text.h"
#include "base/wholefile.h"
#include "base/codepage.h"
#include "base/files.h"

#include <string.h>

#define COMMAND_LINE_SIZE 1024

// The interpreter reads batch files in the OEM code page: path (the program's
// text, an existing file or folder) in it, into out (size bytes). A name that
// the OEM code page cannot spell is written by its short name (its 8.3 alias)
// where the file system gives it one that it can. 0 when neither can be
// spelled: the name would address another file.
static int ConvertToOem(const char *path, char *out, DWORD size)
{
    WCHAR wide[PATH_UNITS], alias[PATH_UNITS];
    if (!TextToWide(path, wide, PATH_UNITS))
        return 0;
    if (NarrowTextExactly(CP_OEMCP, wide, out, (int)size))
        return 1;
    DWORD len = TextIsUtf8() ? GetShortPathNameW(wide, alias, PATH_UNITS) : 0;
    return len > 0 && len < PATH_UNITS && NarrowTextExactly(CP_OEMCP, alias, out, (int)size);
}

static const char *const kStepTexts[] = {
    "written and started",   // SELF_REMOVAL_STARTED
    "not written",           // SELF_REMOVAL_BATCH_PATH: the error tells why, a path too long (206) among others
    "not written",           // SELF_REMOVAL_INTERPRETER: no COMSPEC (203), or one too long
    "not written",           // SELF_REMOVAL_BATCH_TEXT: a name outside the OEM code page (1113), or a pattern
    "not written",           // SELF_REMOVAL_WRITE
    "not started",           // SELF_REMOVAL_START
};
static_assert(sizeof kStepTexts / sizeof kStepTexts[0] == SELF_REMOVAL_STEPS, "a text for every step");

const char *SelfRemovalStepText(SelfRemovalStep step)
{
    return kStepTexts[step];
}

static SelfRemovalOutcome Outcome(SelfRemovalStep step, DWORD error, int batchNumber = 1)
{
    SelfRemovalOutcome outcome = {step, error, batchNumber};
    return outcome;
}

// Writes the batch file at path and keeps it: on Windows NT through a
// handle that the interpreter inherits and that lets no other run write over
// the file while the interpreter runs it, or deletes it. Returns that handle,
// NULL where none is kept (Windows 95/98/Me, which knows no delete sharing),
// or INVALID_HANDLE_VALUE with *inUse set when another run's interpreter
// holds this name, or not set when the file cannot be written.
static HANDLE WriteAndHoldBatchFile(const char *path, const char *text, int windows9x, int *inUse)
{
    DWORD size = (DWORD)strlen(text);
    *inUse = 0;
    if (windows9x)
        return WriteWholeFile(path, text, size) ? NULL : INVALID_HANDLE_VALUE;
    HANDLE file = OpenFileAt(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) {
        *inUse = GetLastError() == ERROR_SHARING_VIOLATION;
        return INVALID_HANDLE_VALUE;
    }
    DWORD written = 0;
    BOOL whole = WriteFile(file, text, size, &written, NULL) && written == size;
    if (!CloseHandle(file) || !whole)
        return INVALID_HANDLE_VALUE;
    // Between the close and the hold another run may have written over the
    // file: the one whose text the held file has keeps the name.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, NULL, TRUE};
    HANDLE hold = OpenFileAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL);
    if (hold == INVALID_HANDLE_VALUE) {
        *inUse = GetLastError() == ERROR_SHARING_VIOLATION;
        return INVALID_HANDLE_VALUE;
    }
    char back[BATCH_TEXT_SIZE];
    DWORD read = 0;
    if (!ReadFile(hold, back, sizeof back, &read, NULL) || read != size || memcmp(back, text, size) != 0) {
        CloseHandle(hold);
        *inUse = 1;
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    return hold;
}

// Starts the interpreter's command line on the batch file, without a window
// and with nothing on its screen; 0 (GetLastError says why) when it cannot.
static int StartInterpreter(char *commandLine, int windows9x)
{
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
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
    // The interpreter inherits the current directory; the one its batch
    // file removes must not be it. It inherits the batch file's hold too.
    SetCurrentFolder("..");
    if (!StartProgram(commandLine, windows9x ? DETACHED_PROCESS : 0, &startup))
        return 0;   // the "NUL" handle goes with the process, after the final message
    if (windows9x)
        CloseHandle(nul);
    return 1;
}

SelfRemovalOutcome StartSelfRemoval(const char *modulePath, const char *directory, int finalMessage)
{
    // How the interpreter is started follows the platform; what the batch
    // file says follows the interpreter that will read it.
    int windows9x = g_versionInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

    // Without COMSPEC nothing would run the batch file: it is not written.
    // An empty value reads as none and sets no error of its own.
    char interpreter[PATH_SIZE];
    DWORD len = GetVariable("COMSPEC", interpreter, sizeof interpreter);
    if (len == 0)
        return Outcome(SELF_REMOVAL_INTERPRETER, ERROR_ENVVAR_NOT_FOUND);
    if (len >= sizeof interpreter)
        return Outcome(SELF_REMOVAL_INTERPRETER, ERROR_FILENAME_EXCED_RANGE);
    // The batch file's name is ASCII: the folder it goes in is spelled for the
    // interpreter once, by its short name where it must be.
    char temporary[PATH_SIZE], temporaryOem[PATH_SIZE];
    if (!GetTempFolder(temporary))
        return Outcome(SELF_REMOVAL_BATCH_PATH, GetLastError());
    if (!ConvertToOem(temporary, temporaryOem, sizeof temporaryOem))
        return Outcome(SELF_REMOVAL_BATCH_TEXT, ERROR_NO_UNICODE_TRANSLATION);

    // Another installation's uninstall may run its batch file of that name
    // right now: this run takes the next name that no interpreter holds.
    for (int number = 1; number <= BATCH_NAMES; number++) {
        // Every text is composed before the file is created; one that does
        // not fit would name another file, so it counts as a batch file that
        // cannot be created.
        char batchPath[PATH_SIZE], batchOem[PATH_SIZE], commandLine[COMMAND_LINE_SIZE];
        if (!ComposeBatchPath(batchPath, sizeof batchPath, temporary, number) || !FitsPath(batchPath, 0)
            || !ComposeBatchPath(batchOem, sizeof batchOem, temporaryOem, number))
            return Outcome(SELF_REMOVAL_BATCH_PATH, ERROR_FILENAME_EXCED_RANGE);
        if (!ComposeText(commandLine, sizeof commandLine, "%s /c \"%s\"", interpreter, batchPath))
            return Outcome(SELF_REMOVAL_INTERPRETER, ERROR_FILENAME_EXCED_RANGE);
        char moduleOem[PATH_SIZE], directoryOem[PATH_SIZE];
        char text[BATCH_TEXT_SIZE];
        if (!ConvertToOem(modulePath, moduleOem, sizeof moduleOem)
            || !ConvertToOem(directory, directoryOem, sizeof directoryOem))
            return Outcome(SELF_REMOVAL_BATCH_TEXT, ERROR_NO_UNICODE_TRANSLATION);
        if (!ComposeBatchText(text, sizeof text, BatchFormForInterpreter(interpreter), moduleOem, directoryOem,
                              batchOem, finalMessage))
            return Outcome(SELF_REMOVAL_BATCH_TEXT, ERROR_INVALID_NAME);

        int inUse;
        HANDLE hold = WriteAndHoldBatchFile(batchPath, text, windows9x, &inUse);
        if (hold == INVALID_HANDLE_VALUE && inUse)
            continue;
        SelfRemovalOutcome outcome = Outcome(SELF_REMOVAL_WRITE, 0, number);
        if (hold != INVALID_HANDLE_VALUE) {
            if (StartInterpreter(commandLine, windows9x))
                return Outcome(SELF_REMOVAL_STARTED, 0, number);   // the hold goes to the interpreter with this process
            outcome.step = SELF_REMOVAL_START;
        }
        outcome.error = GetLastError();
        // A batch file cut short could run half a command line; one that no
        // interpreter runs would only wait in the temporary directory.
        DeleteFileAt(batchPath);
        if (hold && hold != INVALID_HANDLE_VALUE)
            CloseHandle(hold);
        return outcome;
    }
    return Outcome(SELF_REMOVAL_WRITE, ERROR_SHARING_VIOLATION);
}
