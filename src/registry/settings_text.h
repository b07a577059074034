// Composition of settings and child key paths. No system calls: also built natively.
#ifndef VEL_REGISTRY_SETTINGS_TEXT_H
#define VEL_REGISTRY_SETTINGS_TEXT_H

#include <stddef.h>

// "%s%sSoftware\Vel%s%s" from prefix, a backslash when the prefix is set, a
// backslash when the key name is set, and the key name; or the key name alone
// when keyNameIsWholePath. 1 when it fit in size bytes; otherwise out is "" and 0.
int ComposeSettingsPathText(char *out, size_t size, const char *prefix, const char *keyName,
                            int keyNameIsWholePath);

// parent + "\" + name into out; 1 when it fit, otherwise out is "" and 0.
int ComposeChildPath(char *out, size_t size, const char *parent, const char *name);

// 1 when neither of two registry paths lies inside the other nor equals it,
// comparing names as the registry does (ASCII letters without regard to case).
int RegistryPathsDisjoint(const char *a, const char *b);

// Ends text with one path separator: with a preferred one, a backslash when it
// is a backslash and a slash otherwise; with none (0), a slash only when the
// text holds more slashes than backslashes. A separator already at the end is
// replaced. 0 when text is NULL or the separator does not fit in size bytes.
int AppendPathSeparator(char *text, size_t size, char preferred);

#endif
