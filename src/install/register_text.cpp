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

int ComposeGroupName(char *out, size_t size, const char *text)
{
    const char *closing = text[0] == '"' ? strchr(text + 1, '"') : NULL;
    if (closing && closing[1 + strspn(closing + 1, " \t")] == 0)
        return ComposeText(out, size, "%.*s", (int)(closing - text - 1), text + 1);
    return ComposeText(out, size, "%s", text);
}

int FormatLauncherLine(char *out, size_t size, const char *fileManagerPath)
{
    return ComposeText(out, size, "%s %%1 %%2 %%3 %%4 %%5 %%6 %%7 %%8 %%9\r\n", fileManagerPath);
}

// The fixed information's first words: its signature, the structure's
// version, then the file version's high and low halves.
#define FIXED_INFO_SIGNATURE 0xFEEF04BDu
#define FIXED_INFO_SIZE 52
#define FIXED_INFO_START 40

static unsigned ReadDword(const unsigned char *p)
{
    return p[0] | (unsigned)p[1] << 8 | (unsigned)p[2] << 16 | (unsigned)p[3] << 24;
}

int ReadFixedFileVersion(const void *block, size_t size, unsigned version[4])
{
    // wLength, wValueLength, wType and the wide key of 16 characters end at
    // byte 38, aligned to 40. Where the value is missing, the signature is
    // not there either.
    const unsigned char *fixed = (const unsigned char *)block + FIXED_INFO_START;
    if (size < FIXED_INFO_START + FIXED_INFO_SIZE || ReadDword(fixed) != FIXED_INFO_SIGNATURE)
        return 0;
    unsigned high = ReadDword(fixed + 8), low = ReadDword(fixed + 12);
    version[0] = high >> 16;
    version[1] = high & 0xFFFF;
    version[2] = low >> 16;
    version[3] = low & 0xFFFF;
    return 1;
}
