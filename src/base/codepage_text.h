// Which arguments the system's code page conversions take for a code page.
// Not every code page takes every flag: a call with one it does not take
// fails, and a path that fails to convert would be read as one that lies
// elsewhere. No system calls: also built natively.
#ifndef VEL_BASE_CODEPAGE_TEXT_H
#define VEL_BASE_CODEPAGE_TEXT_H

// The system's values of the flags chosen here (checked against the
// system's header where it is included).
#define NARROW_NO_BEST_FIT 0x400u   // WC_NO_BEST_FIT_CHARS

// How a text in UTF-16 is narrowed to a code page without losing a letter
// unseen. Widening takes flags 0 in every code page.
struct NarrowingArguments {
    unsigned flags;      // for WideCharToMultiByte
    int tellsLoss;       // 1: it may be asked whether a letter was lost;
                         // 0: that question must not be asked (NULL), and
                         // the caller widens the result again to compare
};

// The arguments for codePage (a number, never CP_ACP or CP_OEMCP: the caller
// asks the system which code page those are).
NarrowingArguments NarrowingArgumentsFor(unsigned codePage);

#endif
