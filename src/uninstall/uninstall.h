// The default mode: remove the installed product.
#ifndef VEL_UNINSTALL_H
#define VEL_UNINSTALL_H

void RunUninstall(void);

#endif
