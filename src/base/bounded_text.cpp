#include "base/bounded_text.h"

#include <string.h>

int CopyText(char *dst, size_t size, const char *src)
{
    return FormatText(dst, size, "%s", src);
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

// The formatter is our own, so the program needs no C runtime and behaves
// the same wherever it is built: the host tests check this very code.
int FormatTextV(char *dst, size_t size, const char *format, va_list args)
{
    if (size == 0)
        return 0;
    char *out = dst, *last = dst + size - 1;   // last: the terminator's place at the latest
    for (const char *f = format; *f; f++) {
        const char *piece = f;   // by default the character itself
        size_t len = 1;
        char digits[11];         // the ten digits of 4294967295 and a sign
        if (*f == '%') {
            char conversion = f[1];
            size_t precision = (size_t)-1;   // the whole text
            if (conversion == '.' && f[2] == '*' && f[3] == 's') {
                int given = va_arg(args, int);
                if (given >= 0)   // negative: the whole text, as in C
                    precision = (size_t)given;
                f += 2;
                conversion = 's';
            }
            if (conversion == '%') {
                f++;
            } else if (conversion == 's') {
                piece = va_arg(args, const char *);
                if (!piece)
                    piece = "(null)";
                len = 0;   // strnlen, counted here: smaller than its call
                while (len < precision && piece[len])
                    len++;
                f++;
            } else if (conversion == 'd' || conversion == 'u') {
                unsigned value;
                int negative = 0;
                if (conversion == 'd') {
                    int given = va_arg(args, int);
                    negative = given < 0;
                    // Its magnitude, INT_MIN's too, fits an unsigned.
                    value = negative ? 0u - (unsigned)given : (unsigned)given;
                } else {
                    value = va_arg(args, unsigned);
                }
                char *p = digits + sizeof digits;
                do {
                    *--p = (char)('0' + value % 10);
                    value /= 10;
                } while (value);
                if (negative)
                    *--p = '-';
                piece = p;
                len = (size_t)(digits + sizeof digits - p);
                f++;
            }
            // Anything else, a '%' at the very end included, is not a
            // conversion: the '%' is written as it is, and what follows it is
            // plain text. No argument is taken.
        }
        for (; len > 0; len--) {
            if (out == last) {   // no room for this character: the text ends here, cut
                *out = 0;
                return 0;
            }
            *out++ = *piece++;
        }
    }
    *out = 0;
    return 1;
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

int StartsWithNoCase(const char *text, const char *prefix)
{
    for (; *prefix; text++, prefix++)
        if (LowerAscii(*text) != LowerAscii(*prefix))
            return 0;
    return 1;
}

int EqualsNoCase(const char *a, const char *b)
{
    // b starts a, and a ends where b does.
    return StartsWithNoCase(a, b) && a[strlen(b)] == 0;
}
