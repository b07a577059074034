#include "main/mode_text.h"
#include "base/bounded_text.h"
#include "uninstall/options_text.h"

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
    UninstallOptions options;
    ReadUninstallOptions(commandLine, &options);
    return options.unknownWord[0] ? MODE_UNKNOWN_WORD : MODE_UNINSTALL;
}

const char *CommandLineAfterProgramName(const char *processCommandLine)
{
    const unsigned char *p = (const unsigned char *)processCommandLine;
    if (*p == '"') {
        // A quoted name ends at its closing quote, even with a word right after it.
        p++;
        while (*p && *p != '"')
            p++;
        if (*p == '"')
            p++;
    } else {
        // The process start splits an unquoted name at a blank or tab alone.
        while (*p && *p != ' ' && *p != '\t')
            p++;
    }
    while (*p && *p <= ' ')
        p++;
    return (const char *)p;
}
