// The words of an uninstall's command line. No system calls: also built natively.
#ifndef VEL_UNINSTALL_OPTIONS_TEXT_H
#define VEL_UNINSTALL_OPTIONS_TEXT_H

#include "base/modulepath_text.h"

// Room for a word named in a message: a longer one is shown cut.
#define SHOWN_WORD_SIZE 64

// What the words of an uninstall's command line ask for. Words are separated
// by blanks and tabs; a double quote opens or closes a stretch in which they
// do not separate, and is no part of the word ("/LOG=C:\a b\u.log" in quotes
// and /LOG="C:\a b\u.log" are one word). "/S" in any letter case asks for the
// silent uninstall, a word that starts with "/LOG=" in any letter case for a
// report in the file it names (of several, the last counts), "/NOCLOSE" for
// leaving the product's running programs running. Any other word
// is none of the uninstall's: the first of them is kept, for the caller to
// refuse the whole command line (a word made of quotes alone is no word).
struct UninstallOptions {
    int silent;
    int report;
    int noClose;
    // The report's file as the word names it; "" when the word names none or
    // a name too long for a path, which would be another file once cut.
    char reportPath[PATH_SIZE];
    // The first word that is none of the uninstall's, cut to fit; "" when
    // every word is one of them.
    char unknownWord[SHOWN_WORD_SIZE];
};

void ReadUninstallOptions(const char *commandLine, UninstallOptions *options);

#endif
