#include "main/mode_text.h"
#include "base/bounded_text.h"

RunMode ChooseMode(const char *commandLine)
{
    if (StartsWithNoCase(commandLine, "register"))
        return MODE_REGISTER;
    if (EqualsNoCase(commandLine, "warning"))
        return MODE_WARNING;
    if (EqualsNoCase(commandLine, "wait"))
        return MODE_WAIT;
    if (EqualsNoCase(commandLine, "arc"))
        return MODE_ARC;
    return MODE_UNINSTALL;
}

const char *CommandLineAfterProgramName(const char *processCommandLine)
{
    const unsigned char *p = (const unsigned char *)processCommandLine;
    int quoted = 0;
    for (; *p && (quoted || *p > ' '); p++)
        if (*p == '"')
            quoted = !quoted;
    while (*p && *p <= ' ')
        p++;
    return (const char *)p;
}
