// The C library's string and memory functions that the program's modules
// call, and the ones the compiler itself calls for copies and zeroed arrays:
// with these and src/main/start.cpp the program needs no msvcrt.dll, which the
// first releases of Windows 95 do not have. Each is linked in only while
// something calls it. Linked into VelUninstall.exe only;
// the unit tests link the C runtime as usual, and the text fuzzer compares
// these with the host's own.
//
// Byte loops: the program copies paths and lines, never bulk data. This file
// is built so that the compiler does not turn a loop back into a call of the
// function it is in.
#include <string.h>

void *memcpy(void *__restrict__ dst, const void *__restrict__ src, size_t n)
{
    char *d = (char *)dst;
    const char *s = (const char *)src;
    while (n--)
        *d++ = *s++;
    return dst;
}

void *memmove(void *dst, const void *src, size_t n)
{
    char *d = (char *)dst;
    const char *s = (const char *)src;
    if (d < s) {
        while (n--)
            *d++ = *s++;
    } else {
        while (n--)
            d[n] = s[n];
    }
    return dst;
}

void *memset(void *dst, int c, size_t n)
{
    char *d = (char *)dst;
    while (n--)
        *d++ = (char)c;
    return dst;
}

int memcmp(const void *a, const void *b, size_t n)
{
    const unsigned char *p = (const unsigned char *)a, *q = (const unsigned char *)b;
    for (; n; n--, p++, q++)
        if (*p != *q)
            return *p - *q;
    return 0;
}

size_t strlen(const char *text)
{
    const char *p = text;
    while (*p)
        p++;
    return (size_t)(p - text);
}

size_t strnlen(const char *text, size_t limit)
{
    size_t n = 0;
    while (n < limit && text[n])
        n++;
    return n;
}

int strncmp(const char *a, const char *b, size_t n)
{
    for (; n; n--, a++, b++)
        if (*a != *b || !*a)
            return (unsigned char)*a - (unsigned char)*b;
    return 0;
}

int strcmp(const char *a, const char *b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return (unsigned char)*a - (unsigned char)*b;
}

char *strchr(const char *text, int c)
{
    for (;; text++) {
        if (*text == (char)c)
            return (char *)text;
        if (!*text)
            return NULL;
    }
}

char *strrchr(const char *text, int c)
{
    const char *found = NULL;
    for (;; text++) {
        if (*text == (char)c)
            found = text;
        if (!*text)
            return (char *)found;
    }
}

size_t strcspn(const char *text, const char *reject)
{
    size_t n = 0;
    while (text[n] && !strchr(reject, text[n]))
        n++;
    return n;
}

size_t strspn(const char *text, const char *accept)
{
    size_t n = 0;
    while (text[n] && strchr(accept, text[n]))
        n++;
    return n;
}

char *strpbrk(const char *text, const char *accept)
{
    text += strcspn(text, accept);
    return *text ? (char *)text : NULL;
}

char *strstr(const char *text, const char *part)
{
    size_t len = strlen(part);
    for (;; text++) {
        if (strncmp(text, part, len) == 0)
            return (char *)text;
        if (!*text)
            return NULL;   // the end of the text: no match
    }
}
