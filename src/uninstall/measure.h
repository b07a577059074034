// The installed size that the Programs list shows.
#ifndef VEL_UNINSTALL_MEASURE_H
#define VEL_UNINSTALL_MEASURE_H

#include <windows.h>

// The size in KiB, rounded up, of what the uninstall deletes: this program's
// file, the list, and each listed file that it would not refuse, into
// *installedKiB. 0 (nothing stored) when there is no list to measure.
int MeasureInstallation(DWORD *installedKiB);

#endif
