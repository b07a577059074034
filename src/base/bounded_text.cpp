#include "base/bounded_text.h"

#include <stdio.h>
#include <string.h>

int CopyText(char *dst, size_t size, const char *src)
{
    if (size == 0)
        return 0;
    size_t len = strlen(src);
    if (len < size) {
        memcpy(dst, src, len + 1);
        return 1;
    }
    memcpy(dst, src, size - 1);
    dst[size - 1] = 0;
    return 0;
}

int AppendText(char *dst, size_t size, const char *src)
{
    if (size == 0)
        return 0;
    size_t used = strnlen(dst, size);
    if (used == size) {   // not terminated inside its own buffer: refuse to guess
        dst[size - 1] = 0;
        return 0;
    }
    return CopyText(dst + used, size - used, src);
}

int FormatTextV(char *dst, size_t size, const char *format, va_list args)
{
    if (size == 0)
        return 0;
#if defined(_WIN32)
    // msvcrt's formatter keeps the program small; it neither terminates a cut
    // result nor tells a cut from an exact fit, so both are done here.
    int n = _vsnprintf(dst, size - 1, format, args);
    dst[size - 1] = 0;
    return n >= 0 && (size_t)n <= size - 1;
#else
    int n = vsnprintf(dst, size, format, args);
    return n >= 0 && (size_t)n < size;
#endif
}

int FormatText(char *dst, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int fit = FormatTextV(dst, size, format, args);
    va_end(args);
    return fit;
}

int ComposeText(char *dst, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int fit = FormatTextV(dst, size, format, args);
    va_end(args);
    if (!fit && size > 0)
        dst[0] = 0;
    return fit;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

int EqualsNoCase(const char *a, const char *b)
{
    while (*a && LowerAscii(*a) == LowerAscii(*b)) {
        a++;
        b++;
    }
    return LowerAscii(*a) == LowerAscii(*b);
}

int StartsWithNoCase(const char *text, const char *prefix)
{
    for (; *prefix; text++, prefix++)
        if (LowerAscii(*text) != LowerAscii(*prefix))
            return 0;
    return 1;
}

const char *FindLastBackslash(const char *text)
{
    return strrchr(text, '\\');
}
