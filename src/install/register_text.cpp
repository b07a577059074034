#include "register_text.h"
#include "text.h"

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

int ComposeProgramDirectory(char *out, size_t size, const char *modulePath)
{
    const char *slash = FindLastBackslash(modulePath);
    size_t len = slash ? (size_t)(slash - modulePath) : strlen(modulePath);
    if (len >= size) {
        if (size > 0)
            out[0] = 0;
        return 0;
    }
    memcpy(out, modulePath, len);
    out[len] = 0;
    return 1;
}

int ComposeProgramFilePath(char *out, size_t size, const char *modulePath, const char *fileName)
{
    const char *slash = FindLastBackslash(modulePath);
    int fit = slash ? FormatText(out, size, "%.*s%s", (int)(slash + 1 - modulePath), modulePath, fileName)
                    : CopyText(out, size, modulePath);
    if (!fit && size > 0)
        out[0] = 0;
    return fit;
}

int FormatLauncherLine(char *out, size_t size, const char *fileManagerPath)
{
    int fit = FormatText(out, size, "%s %%1 %%2 %%3 %%4 %%5 %%6 %%7 %%8 %%9\r\n", fileManagerPath);
    if (!fit && size > 0)
        out[0] = 0;
    return fit;
}
