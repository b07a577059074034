// First-run settings that depend on the current user's locale.
#ifndef VEL_INSTALL_LOCALE_H
#define VEL_INSTALL_LOCALE_H

// The code table distribution and keyboard transliteration for German,
// Russian and Ukrainian users, when the locale gate is open; below the
// settings root of the current hive and prefix, each set only where missing.
void SetLocaleDefaults(void);

#endif
