// The installation step: "register <group>".
#ifndef VEL_INSTALL_REGISTER_H
#define VEL_INSTALL_REGISTER_H

#include <windows.h>

// No size of the installation is known (it has no list): the Programs list
// gets none.
#define SIZE_UNKNOWN 0xFFFFFFFFu

// Runs the whole registration on the command line (group text from its ninth
// character on); installedKiB is the size the Programs list shows, or
// SIZE_UNKNOWN. Returns the exit code: 0, or 1 when the Add/Remove Programs
// entry could not be created (the rest of the registration still ran).
int RunRegistration(const char *commandLine, DWORD installedKiB);

// The Add/Remove Programs and App Paths entries below HKEY_LOCAL_MACHINE,
// then "Group" (text with its leading blanks skipped) and the default FTP
// host. A registration key that cannot be created stops the rest. 1 when the
// Add/Remove Programs entry was created.
int RegisterProduct(const char *text, DWORD installedKiB);

// "Vel.bat" and the marker "$UseBat.$$$" in the program directory, on
// Windows 95/98/Me only. An existing "Vel.bat" is kept.
void CreateLauncherBatch(void);

#endif
