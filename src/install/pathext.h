// The executable mask completed from this process's PATHEXT variable.
#ifndef VEL_INSTALL_PATHEXT_H
#define VEL_INSTALL_PATHEXT_H

#include "install/pathext_text.h"

// MergeExtensionList with the PATHEXT of this process; a value that does not
// fit PATHEXT_SIZE is not merged at all.
char *MergePathExt(char *mask, size_t maskSize);

#endif
