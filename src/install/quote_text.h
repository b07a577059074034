// The quoting rule for paths put into command lines (the launcher batch file
// and the archive open command). No system calls: also built natively.
#ifndef VEL_INSTALL_QUOTE_TEXT_H
#define VEL_INSTALL_QUOTE_TEXT_H

#include <stddef.h>

// Wraps text in double quotes when it starts with '-' or '^' or holds a blank,
// '&', '+' or ','. Changes text in place; size is the buffer's size in bytes.
// Returns text, or NULL (text unchanged) when the quotes would not fit.
char *QuoteIfNeeded(char *text, size_t size);

// Adds only the missing quotes: an opening one unless text starts with '"',
// a closing one unless it then ends with '"'. Inner quotes are not escaped.
// Returns text, or NULL (text unchanged) when the quotes would not fit.
char *AddQuotes(char *text, size_t size);

#endif
