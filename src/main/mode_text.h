// Which job a command line asks for. No system calls: also built natively.
#ifndef VEL_MAIN_MODE_TEXT_H
#define VEL_MAIN_MODE_TEXT_H

enum RunMode { MODE_REGISTER, MODE_WARNING, MODE_WAIT, MODE_ARC, MODE_UNINSTALL };

// "register" is a prefix of 8 characters; "warning", "wait" and "arc" must be
// the whole text. ASCII letters compare without regard to case. Anything else,
// the empty text and a trailing blank included, is the uninstallation.
RunMode ChooseMode(const char *commandLine);

// The process command line less the program's own name and the codes 1 to 32
// after it; the rest unchanged, trailing blanks included. The name is what
// the system starts: a quoted name ends at its closing quote, an unquoted one
// at the first blank or tab. Bytes from 128 up are letters of a path here.
const char *CommandLineAfterProgramName(const char *processCommandLine);

#endif
