// Lines of the list file "UnInstall.lst" and the entries they name. No system
// calls, so the routines also build natively for the sanitizer and fuzzer runs.
#ifndef VEL_UNINSTALL_LISTENTRY_TEXT_H
#define VEL_UNINSTALL_LISTENTRY_TEXT_H

#include "base/utf8_text.h"

#include <stddef.h>

// A line holds at most 519 letters: bytes in the ANSI code page, letters in
// UTF-8 or UTF-16. Written as the program's text it takes up to
// LIST_LINE_BYTES bytes.
#define LIST_LINE_SIZE 520
#define LIST_LINE_BYTES (4 * (LIST_LINE_SIZE - 1) + 1)
#define LIST_BUFFER_SIZE 4096

// How the list is written: the ANSI code page, or UTF-8 or UTF-16 LE, which
// a byte-order mark at its start says (and which is no part of the first line).
enum ListEncodingKind { LIST_UNREAD, LIST_ANSI, LIST_UTF8, LIST_UTF16 };

// Removes white space and control characters (codes 1 to 32 and 127) from the
// end of text, in place. Codes 128 to 255 and leading characters stay.
void TrimLineEnd(char *text);

// Gives the next bytes of the list into buffer (at most size): how many,
// 0 at the end, a negative number on a read error.
typedef int (*ListFill)(void *source, char *buffer, size_t size);

// The list read in pieces through a buffer of its own. The caller owns the
// source and the system calls behind fill; this side only splits lines.
struct ListReader {
    ListFill fill;
    void *source;
    size_t next, held;   // the next byte to give out, the bytes in buffer
    int ended;           // fill said end or error: nothing more comes until a restart
    int encoding;        // LIST_UNREAD until the first line is read
    char buffer[LIST_BUFFER_SIZE];
};

// The list's encoding, its mark read if that was not done yet.
int ListEncoding(ListReader *list);

// Starts reading source from where it stands, forgetting what was buffered:
// for the first read and after the caller has moved the source back.
void StartListReader(ListReader *list, ListFill fill, void *source);

enum ListLineResult { LIST_LINE_READ, LIST_LINE_SKIPPED, LIST_END };

// Reads the next line of list into line (size bytes), without its line feed:
// in the ANSI code page as it stands, and in UTF-8 for a list in UTF-8 or
// UTF-16. A line of more than 519 letters, one whose text does not fit size
// - 1 bytes, one that holds a zero, and one not written in its encoding (a
// UTF-8 line that is not UTF-8, a lone surrogate) is consumed whole and
// reported as LIST_LINE_SKIPPED with line "": a cut piece of it could name
// another, existing file. LIST_END at the end of the file or on a read error
// (a line cut by the error is dropped too).
int ReadListLine(ListReader *list, char *line, size_t size);

// Why an entry of the list is left alone; ENTRY_TAKEN when it is not.
enum EntryRefusal {
    ENTRY_TAKEN,
    REFUSED_OUTSIDE,      // it leaves the program directory, or names a drive or a stream
    REFUSED_DEVICE,       // it names a device
    REFUSED_TOO_LONG,     // its line or its full path does not fit: a cut one names another file
    REFUSED_LINK,         // it passes through a link, or its final path lies elsewhere
    REFUSED_NOT_FOLDER,   // a trailing separator names a folder, and it is a file
    ENTRY_REFUSALS
};

// What the report says for each refusal.
extern const char *const kRefusalReasons[ENTRY_REFUSALS];

// ENTRY_TAKEN when entry is a plain path relative to the program directory:
// no colon (drive letter, stream), not rooted (so neither UNC nor "\\?\"), no
// component of dots and blanks alone other than "." (REFUSED_OUTSIDE), and no
// device name as a component (REFUSED_DEVICE). The caller still decides on
// the canonical full path; this only refuses early.
int ListEntryFormRefusal(const char *entry);

// 1 when path lies strictly inside the directory named by prefix, which ends
// in a backslash: path starts with prefix (ASCII letters without regard to
// case, as file names compare) and names something after it.
int PathIsStrictlyInside(const char *path, const char *prefix);

#endif
