// The "arc" mode: nine archive extensions opened by the file manager.
#ifndef VEL_ARCHIVES_H
#define VEL_ARCHIVES_H

int AssociateArchives(void);

#endif
