// Entry point: start-up cleanup, then exactly one mode. Exit code 0 always.
#include "base/bounded_text.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/product.h"
#include "registry/keytree.h"
#include "registry/settings.h"
#include "install/register.h"
#include "install/archives.h"
#include "uninstall/uninstall.h"
#include "main/mode_text.h"

#include <string.h>

// The "Warning" mode: the batch file could not delete this program's file.
static void ShowFinalMessage(void)
{
    char path[PATH_SIZE];
    GetModulePath(path);   // a cut path would name another file: none is shown

    // Text 201, a line break, then text 202 with the path. 199 + 1 + 199 + 259
    // characters and the terminator fit.
    char text[1024];
    FormatText(text, sizeof text, "%s\n", LoadMessageText(IDS_COMPLETED));
    size_t used = strlen(text);
    // Text 202 is our own resource with one %s; anything else is shown as is.
    const char *format = LoadMessageText(IDS_DELETE_MANUALLY);
    FormatText(text + used, sizeof text - used, format, path);

    MessageBoxA(NULL, text, LoadMessageText(IDS_CAPTION), MB_OK | MB_ICONINFORMATION | MESSAGE_FLAGS);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The start-up code's own text treats bytes from 128 up as blanks, which
    // cuts an unquoted program path with a non-ASCII letter in two.
    const char *commandLine = CommandLineAfterProgramName(GetCommandLineA());
    QueryPlatformVersion();
    g_instance = instance;
    SetSettingsHive(HKEY_CURRENT_USER);   // every mode starts in the current user's settings

    // A shell extension list left empty by an uninstalled handler makes the
    // shell look for handlers that are not there; drop it while it is empty.
    DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, COPY_HOOK_KEY);

    switch (ChooseMode(commandLine)) {
    case MODE_REGISTER:
        RunRegistration(commandLine);
        break;
    case MODE_WARNING:
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
        RunUninstall();
        break;
    }
    return 0;
}
