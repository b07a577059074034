#include "uninstall/selfremove.h"
#include "uninstall/batch_text.h"
#include "base/process.h"
#include "base/product.h"
#include "base/bounded_text.h"
#include "base/wholefile.h"
#include "base/codepage.h"

#include <string.h>

#define COMMAND_LINE_SIZE 512

// The interpreter reads batch files in the OEM code page: path (ANSI) in
// it, into out (size bytes). 0 when a letter has no place there: the name
// would address another file.
static int ConvertToOem(const char *path, char *out, DWORD size)
{
    WCHAR wide[PATH_SIZE];
    return WidenText(CP_ACP, path, wide, PATH_SIZE) && NarrowTextExactly(CP_OEMCP, wide, out, (int)size);
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

static SelfRemovalOutcome Outcome(SelfRemovalStep step, DWORD error)
{
    SelfRemovalOutcome failure = {step, error};
    return failure;
}

SelfRemovalOutcome StartSelfRemoval(const char *modulePath, const char *directory, int finalMessage)
{
    // Every text is composed before the file is created; one that does not
    // fit would name another file, so it counts as a batch file that cannot be created.
    char batchPath[PATH_SIZE];
    DWORD len = GetTempPathA(sizeof batchPath, batchPath);
    if (len == 0 || len >= sizeof batchPath || !AppendText(batchPath, sizeof batchPath, BATCH_FILE_NAME))
        return Outcome(SELF_REMOVAL_BATCH_PATH, len ? ERROR_FILENAME_EXCED_RANGE : GetLastError());

    // How the interpreter is started follows the platform; what the batch
    // file says follows the interpreter that will read it.
    int windows9x = g_versionInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

    // Without COMSPEC nothing would run the batch file: it is not written.
    // An empty value reads as none and sets no error of its own.
    char interpreter[PATH_SIZE];
    len = GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter);
    if (len == 0)
        return Outcome(SELF_REMOVAL_INTERPRETER, ERROR_ENVVAR_NOT_FOUND);
    char commandLine[COMMAND_LINE_SIZE];
    if (len >= sizeof interpreter
        || !ComposeText(commandLine, sizeof commandLine, "%s /c \"%s\"", interpreter, batchPath))
        return Outcome(SELF_REMOVAL_INTERPRETER, ERROR_FILENAME_EXCED_RANGE);

    char moduleOem[PATH_SIZE], directoryOem[PATH_SIZE], batchOem[PATH_SIZE];
    char text[BATCH_TEXT_SIZE];
    if (!ConvertToOem(modulePath, moduleOem, sizeof moduleOem)
        || !ConvertToOem(directory, directoryOem, sizeof directoryOem)
        || !ConvertToOem(batchPath, batchOem, sizeof batchOem))
        return Outcome(SELF_REMOVAL_BATCH_TEXT, ERROR_NO_UNICODE_TRANSLATION);
    if (!ComposeBatchText(text, sizeof text, BatchFormForInterpreter(interpreter), moduleOem, directoryOem,
                          batchOem, finalMessage))
        return Outcome(SELF_REMOVAL_BATCH_TEXT, ERROR_INVALID_NAME);
    SelfRemovalOutcome outcome = {SELF_REMOVAL_WRITE, 0};
    if (WriteWholeFile(batchPath, text, (DWORD)strlen(text))) {
        STARTUPINFOA startup;
        PROCESS_INFORMATION process;
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
        // file removes must not be it.
        SetCurrentDirectoryA("..");
        if (CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, windows9x ? DETACHED_PROCESS : 0, NULL, NULL,
                           &startup, &process)) {
            if (windows9x)
                CloseHandle(nul);
            return Outcome(SELF_REMOVAL_STARTED, 0);
        }
        // The "NUL" handle goes with the process, after the final message.
        outcome.step = SELF_REMOVAL_START;
    }
    outcome.error = GetLastError();
    // A batch file cut short could run half a command line; one that no
    // interpreter runs would only wait in the temporary directory.
    DeleteFileA(batchPath);
    return outcome;
}
