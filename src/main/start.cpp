// The program's entry point, in place of MinGW's start-up code. Linked into
// VelUninstall.exe only.
#include "main/mode_text.h"
#include "base/codepage.h"
#include "base/process.h"

#define COMMAND_LINE_TEXT_SIZE 8192

#include <windows.h>

// The program has no static constructors (scripts/size-check sees to it), no
// heap, no arguments to split and nothing to run at exit, so the entry point
// only calls WinMain and ends the process with its result. The program shows
// no window of its own: the show command is the default. A drive that is not
// ready (an empty floppy or card reader named by a report path or the
// temporary directory) fails the call instead of asking the user with the
// system's box: a silent uninstall must never wait for anyone.
// The command line in the program's own text: on Windows NT from its UTF-16
// form, where a group name or a report path of any letters comes whole. One
// too long for the buffer is had in the ANSI code page as before.
static char s_commandLine[COMMAND_LINE_TEXT_SIZE];

static const char *GetCommandLineText(void)
{
    if (TextIsUtf8() && WideToText(GetCommandLineW(), s_commandLine, sizeof s_commandLine))
        return s_commandLine;
    return GetCommandLineA();
}

extern "C" void ProgramStart(void)
{
    SetErrorMode(SEM_FAILCRITICALERRORS);
    QueryPlatformVersion();   // the program's text follows the platform
    const char *commandLine = CommandLineAfterProgramName(GetCommandLineText());
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)commandLine, SW_SHOWDEFAULT));
}
