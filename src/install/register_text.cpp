#include "install/register_text.h"
#include "base/bounded_text.h"

#include <string.h>

const char *TextAfterModeWord(const char *commandLine)
{
    return commandLine + strnlen(commandLine, MODE_WORD_LENGTH);
}

const char *SkipLeadingBlanks(const char *text)
{
    while (*text == ' ')
        text++;
    return text;
}

int FormatLauncherLine(char *out, size_t size, const char *fileManagerPath)
{
    return ComposeText(out, size, "%s %%1 %%2 %%3 %%4 %%5 %%6 %%7 %%8 %%9\r\n", fileManagerPath);
}
