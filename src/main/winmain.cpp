// Entry point: start-up cleanup, then exactly one mode. Exit code 0 always.
#include "main.h"
#include "mode.h"
#include "keytree.h"
#include "register.h"
#include "archives.h"
#include "uninstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The start-up code's own text treats bytes from 128 up as blanks, which
    // cuts an unquoted program path with a non-ASCII letter in two.
    const char *commandLine = CommandLineAfterProgramName(GetCommandLineA());
    QueryPlatformVersion();
    g_instance = instance;

    // A shell extension list left empty by an uninstalled handler makes the
    // shell look for handlers that are not there; drop it while it is empty.
    DeleteKeyIfEmpty(HKEY_CLASSES_ROOT, "Directory\\shellex\\CopyHookHandlers");

    switch (ChooseMode(commandLine)) {
    case MODE_REGISTER:
        RunRegistration(commandLine);
        break;
    case MODE_WARNING:
        ShowFinalMessage();
        break;
    case MODE_WAIT:
        PauseOneSecond();
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
