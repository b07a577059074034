// UTF-8 and UTF-16, converted exactly or not at all: the program's own text
// on Windows NT is UTF-8, and the system's is UTF-16. No system calls: also
// built natively.
#ifndef VEL_BASE_UTF8_TEXT_H
#define VEL_BASE_UTF8_TEXT_H

#include <stddef.h>

// One unit of UTF-16: the system's WCHAR on Windows, 16 bits everywhere.
#ifdef _WIN32
typedef wchar_t WideUnit;
#else
typedef char16_t WideUnit;
#endif

// The UTF-8 text into out (outCount units, terminator included). 1 when the
// text is valid UTF-8 (no overlong form, no surrogate, nothing past
// U+10FFFF) and fit whole; otherwise out is "" and 0.
int Utf8ToWide(const char *text, WideUnit *out, size_t outCount);

// count units of wide (a terminator among them ends it) into out (outSize
// bytes) as UTF-8, terminated. 1 when every unit is a letter (no lone
// surrogate) and it fit whole; otherwise out is "" and 0.
int WideToUtf8(const WideUnit *wide, size_t count, char *out, size_t outSize);

// 1 when text is valid UTF-8.
int IsUtf8(const char *text);

// The number of UTF-16 units of valid UTF-8 text (a letter past U+FFFF
// counts two); what an invalid byte starts counts one.
size_t Utf8WideLength(const char *text);

#endif
