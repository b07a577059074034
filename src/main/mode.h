// Which job a command line asks for. No system calls: also built natively.
#ifndef VEL_MODE_H
#define VEL_MODE_H

enum RunMode { MODE_REGISTER, MODE_WARNING, MODE_WAIT, MODE_ARC, MODE_UNINSTALL };

// "register" is a prefix of 8 characters; "warning", "wait" and "arc" must be
// the whole text. ASCII letters compare without regard to case. Anything else,
// the empty text and a trailing blank included, is the uninstallation.
RunMode ChooseMode(const char *commandLine);

#endif
