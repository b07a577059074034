// Which job a command line asks for. No system calls: also built natively.
#ifndef VEL_MAIN_MODE_TEXT_H
#define VEL_MAIN_MODE_TEXT_H

enum RunMode { MODE_REGISTER, MODE_WARNING, MODE_WAIT, MODE_ARC, MODE_UNINSTALL, MODE_UNKNOWN_WORD };

// "register" is a prefix of 8 characters; "warning", "wait" and "arc" must be
// the whole text. ASCII letters compare without regard to case. The
// uninstallation takes the empty text and one made of its own words alone
// ("/S", "/LOG=<file>"); a command line with any other word (a near miss of
// a mode word, a mode word with a trailing blank or another word after it)
// is MODE_UNKNOWN_WORD: a mistake of the caller's must never remove a product.
RunMode ChooseMode(const char *commandLine);

// The process command line less the program's own name and the codes 1 to 32
// after it; the rest unchanged, trailing blanks included. The name is what
// the system starts: a quoted name ends at its closing quote, an unquoted one
// at the first blank or tab. Bytes from 128 up are letters of a path here.
const char *CommandLineAfterProgramName(const char *processCommandLine);

#endif
