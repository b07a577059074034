// The program's entry point, in place of MinGW's start-up code. Linked into
// VelUninstall.exe only.
#include "main/mode_text.h"

#include <windows.h>

// The program has no static constructors (scripts/size-check sees to it), no
// heap, no arguments to split and nothing to run at exit, so the entry point
// only calls WinMain and ends the process with its result. The program shows
// no window of its own: the show command is the default. A drive that is not
// ready (an empty floppy or card reader named by a report path or the
// temporary directory) fails the call instead of asking the user with the
// system's box: a silent uninstall must never wait for anyone.
extern "C" void ProgramStart(void)
{
    SetErrorMode(SEM_FAILCRITICALERRORS);
    const char *commandLine = CommandLineAfterProgramName(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)commandLine, SW_SHOWDEFAULT));
}
