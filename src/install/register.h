// The installation step: "register <group>".
#ifndef VEL_INSTALL_REGISTER_H
#define VEL_INSTALL_REGISTER_H

// Runs the whole registration on the command line (group text from its ninth
// character on). Returns the exit code 0.
int RunRegistration(const char *commandLine);

// The Add/Remove Programs and App Paths entries below HKEY_LOCAL_MACHINE,
// then "Group" (text with its leading blanks skipped) and the default FTP
// host. A registration key that cannot be created stops the rest.
void RegisterProduct(const char *text);

// "Vel.bat" and the marker "$UseBat.$$$" in the program directory, on
// Windows 95/98/Me only. An existing "Vel.bat" is kept.
void CreateLauncherBatch(void);

#endif
