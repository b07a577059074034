// Bounded text helpers shared by every module. No system calls, so they also
// build natively for the sanitizer and fuzzer runs.
//
// Every helper that writes takes the destination's size in bytes (terminator
// included), always leaves the destination terminated when the size is not 0,
// and returns 1 when the whole text fit, 0 when it was cut. The caller decides
// what a cut means: refuse the step, or accept it where cutting is harmless.
#ifndef VEL_BASE_BOUNDED_TEXT_H
#define VEL_BASE_BOUNDED_TEXT_H

#include <stddef.h>
#include <stdarg.h>

int CopyText(char *dst, size_t size, const char *src);
int AppendText(char *dst, size_t size, const char *src);
// The formatter understands exactly %s, %.*s (a negative precision means the
// whole text), %d, %u and %%; a NULL text prints as "(null)". Any other '%'
// (an unknown conversion, a width, a flag, a '%' at the end) is written as it
// is and takes no argument. The cut text is the start of the whole one.
int FormatText(char *dst, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
int FormatTextV(char *dst, size_t size, const char *format, va_list args);

// The refusing compose: like FormatText, but a text that would not fit is not
// cut: dst is "" and the result 0. For paths, key names and command lines,
// where a cut text names another file or key or runs another command.
int ComposeText(char *dst, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// ASCII letters compare without regard to case; every other byte only with itself.
int EqualsNoCase(const char *a, const char *b);
int StartsWithNoCase(const char *text, const char *prefix);
char LowerAscii(char c);

#endif
