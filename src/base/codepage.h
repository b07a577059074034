// Text converted between the program's code pages and UTF-16, exactly or not
// at all: a path with a letter that came back as another letter, or as '?',
// names another place or none.
#ifndef VEL_BASE_CODEPAGE_H
#define VEL_BASE_CODEPAGE_H

#include <windows.h>

// The longest text converted, in UTF-16 units with the terminator: every
// path and final path the program compares.
#define CONVERTED_TEXT_SIZE 1024

// text (in codePage: CP_ACP, CP_OEMCP or a number) into out (outCount
// UTF-16 units). 1 when it fit whole; otherwise 0 and out "".
int WidenText(UINT codePage, const char *text, WCHAR *out, int outCount);

// wide into out (outSize bytes) in codePage. 1 when every letter has its
// place there and the whole text fit; otherwise 0 and out "".
int NarrowTextExactly(UINT codePage, const WCHAR *wide, char *out, int outSize);

// The program's own text: every path, group name, list entry, command line
// and report line it holds. On Windows NT it is UTF-8, which spells every
// name the file system and the registry hold, and the system is asked in
// UTF-16 (its W functions); on Windows 95/98/Me, whose W functions are
// stubs, it is the ANSI code page, and the system is asked as ever.
int TextIsUtf8(void);

// text (the program's) into out (outCount UTF-16 units). 1 when it fit whole
// and every letter converted; otherwise 0 and out "".
int TextToWide(const char *text, WCHAR *out, int outCount);

// wide into out (outSize bytes) as the program's text. 1 when every letter
// has its place there and it fit whole; otherwise 0 and out "".
int WideToText(const WCHAR *wide, char *out, int outSize);

// Text in the ANSI code page (a list line, a registry value of another
// program's) into the program's own: 1 when it fit whole.
int AnsiToText(const char *ansi, char *out, int outSize);

#endif
