// Functions looked up at run time: those that the first Windows 95 does not
// export, and ntdll's. No system call of its own.
#ifndef VEL_BASE_LOOKUP_H
#define VEL_BASE_LOOKUP_H

#include <windows.h>

// The address of function in module, typed as the declaration in scope
// declares function: the system header's, or, where no header declares it, a
// prototype of our own beside the look-up, with the calling convention the DLL
// exports it with. A pointer type written apart from a declaration can miss
// WINAPI: 64-bit Windows has one calling convention and never shows it, while
// on 32-bit Windows every call through it leaves the stack off by the size of
// the parameters. So every look-up goes through this one (scripts/check-layers
// fails on GetProcAddress anywhere else). NULL when module does not export it.
#define LOOK_UP_FUNCTION(module, function) ((decltype(&function))(void *)GetProcAddress((module), #function))

#endif
