// Process-wide state of a run and the message texts every mode shows.
#ifndef VEL_MAIN_H
#define VEL_MAIN_H

#include <windows.h>

#define PATH_SIZE MAX_PATH          // file-system paths, terminator included
#define MESSAGE_SLOT_SIZE 200

// String resources.
#define IDS_CAPTION 200           // "Uninstall VEL"
#define IDS_COMPLETED 201         // "Uninstall completed"
#define IDS_DELETE_MANUALLY 202   // "You should delete %s manually"
#define IDS_CONFIRM 203           // "Continue with uninstall VEL"
#define IDS_NO_LIST_FILE 204      // "Cannot open list file"

// Every message box of the program: no owner, in front, caption text 200.
#define MESSAGE_FLAGS MB_SETFOREGROUND

extern HINSTANCE g_instance;
// The version query made at start; dwPlatformId 1 is Windows 95/98/Me, 2 NT.
extern OSVERSIONINFOA g_versionInfo;

void QueryPlatformVersion(void);

// The full path of this program's file into path (PATH_SIZE bytes). 1 when
// it was had whole; otherwise path is "" and 0: a cut path names another file.
int GetModulePath(char *path);

// Text of string resource id in the next of five 200-character slots; valid
// through the next four calls. A missing string gives the empty text.
const char *LoadMessageText(UINT id);

// The two modes the self-removal batch file uses.
void ShowFinalMessage(void);
void PauseOneSecond(void);

#endif
