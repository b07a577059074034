// Entry point: start-up cleanup, then exactly one mode, whose exit code the process ends with.
#include "base/messages.h"
#include "base/process.h"
#include "base/product.h"
#include "registry/keytree.h"
#include "registry/settings.h"
#include "install/register.h"
#include "install/archives.h"
#include "uninstall/uninstall.h"
#include "uninstall/measure.h"
#include "main/mode_text.h"
#include "uninstall/options_text.h"
#include "base/bounded_text.h"

// A command line with a word that no mode takes changes nothing: the user is
// shown the word and the modes, a silent caller only gets the exit code.
static int RefuseUnknownWord(const char *commandLine)
{
    UninstallOptions options;
    ReadUninstallOptions(commandLine, &options);
    if (!options.silent) {
        char text[MESSAGE_SLOT_SIZE + SHOWN_WORD_SIZE];
        FormatText(text, sizeof text, LoadMessageText(IDS_UNKNOWN_WORD), options.unknownWord);
        ShowMessage(text, MB_OK | MB_ICONERROR);
    }
    return ERROR_INVALID_PARAMETER;
}

// commandLine: the process command line less the program's name, as the
// program's own entry point (start.cpp) gives it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    QueryPlatformVersion();
    g_instance = instance;
    SetSettingsHive(HKEY_CURRENT_USER);   // every mode starts in the current user's settings

    // A shell extension list left empty by an uninstalled handler makes the
    // shell look for handlers that are not there; drop it while it is empty.
    DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, COPY_HOOK_KEY);

    int exitCode = 0;
    switch (ChooseMode(commandLine)) {
    case MODE_REGISTER: {
        // The Programs list shows the size of what the uninstall would delete.
        DWORD installedKiB = SIZE_UNKNOWN;
        MeasureInstallation(&installedKiB);
        exitCode = RunRegistration(commandLine, installedKiB);
        break;
    }
    case MODE_WARNING:
        // The batch file could not delete this program's file.
        ShowFinalMessage();
        break;
    case MODE_WAIT:
        // The batch file's first command: its deletions begin a second
        // after this process has gone.
        Sleep(1000);
        break;
    case MODE_ARC:
        AssociateArchives();
        break;
    case MODE_UNINSTALL:
        exitCode = RunUninstall(commandLine);
        break;
    case MODE_UNKNOWN_WORD:
        exitCode = RefuseUnknownWord(commandLine);
        break;
    }
    return exitCode;
}
