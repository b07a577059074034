// The installation step: "register <group>".
#ifndef VEL_REGISTER_H
#define VEL_REGISTER_H

// Runs the whole registration on the command line (group text from its ninth
// character on). Returns the exit code 0.
int RunRegistration(const char *commandLine);

#endif
