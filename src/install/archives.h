// The "arc" mode: nine archive extensions opened by the file manager.
#ifndef VEL_INSTALL_ARCHIVES_H
#define VEL_INSTALL_ARCHIVES_H

// Writes the nine archive associations below HKEY_CLASSES_ROOT and leaves
// that hive current in the settings layer. Returns the exit code, 0.
int AssociateArchives(void);

#endif
