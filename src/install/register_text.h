// Text steps of the registration: the group text and the launcher's line.
// No system calls: also built natively.
#ifndef VEL_INSTALL_REGISTER_TEXT_H
#define VEL_INSTALL_REGISTER_TEXT_H

#include <stddef.h>

#define MODE_WORD_LENGTH 8   // "register"
#define GROUP_TEXT_SIZE 1024   // a group name as the registration records it

// The command line from its ninth character on (its end when it is shorter).
const char *TextAfterModeWord(const char *commandLine);

// text with its leading blanks (the blank character only) skipped; tabs,
// quotes and trailing blanks stay.
const char *SkipLeadingBlanks(const char *text);

// The group name as it is recorded, from the group text (leading blanks
// skipped) into out (size bytes): a name in double quotes, as installers pass
// a name with blanks ("\"Main Tools\"", blanks or tabs after it allowed),
// without them, since no folder name holds a quote; any other text as it
// is. 1 when it fit; otherwise out is "" and 0.
int ComposeGroupName(char *out, size_t size, const char *text);

// The launcher's one line: the (already quoted) path of the file manager,
// the nine batch parameters and CR LF. 1 when it fit; otherwise out is "" and 0.
int FormatLauncherLine(char *out, size_t size, const char *fileManagerPath);

// The file version of a version resource's fixed information, as
// GetFileVersionInfoA gives the resource (block, size bytes, possibly cut
// after its start): the structure with its signature 0xFEEF04BD, right after
// the block's header and its wide key "VS_VERSION_INFO", as a 32-bit
// program's resource has them. 1 and version[0..3] (major, minor, build,
// revision) when found; otherwise 0 and version untouched.
int ReadFixedFileVersion(const void *block, size_t size, unsigned version[4]);

#endif
