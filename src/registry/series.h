// Numbered key series and enumeration of settings keys. No mode of this
// program calls them; they are kept for the file manager's settings code.
#ifndef VEL_REGISTRY_SERIES_H
#define VEL_REGISTRY_SERIES_H

#include <windows.h>

// pattern is a settings key name with one integer conversion ("...%d").
// Removes item n, moving the items after it down by one.
void RemoveSeriesItem(const char *pattern, int item);
// Moves items low to high-1 up by one, so that number low becomes free.
void OpenSeriesGap(const char *pattern, int low, int high);

// The settings key name of the subkey at index below keyName, into out
// (outSize bytes, cut to fit). 1 when found.
int EnumSettingsSubkey(const char *keyName, DWORD index, char *out, DWORD outSize);
// The value at index below keyName: its name (cut to nameSize), type and data.
// 1 when found.
int EnumSettingsValue(DWORD index, const char *keyName, char *name, DWORD nameSize, DWORD *type,
                      BYTE *data, DWORD *dataSize);

#endif
