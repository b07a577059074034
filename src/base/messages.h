// The message texts every mode shows: the string table read through a ring
// of slots, the flags every message box of the program carries, and the one
// message that both the uninstall and the batch file's last run show.
#ifndef VEL_BASE_MESSAGES_H
#define VEL_BASE_MESSAGES_H

#include <windows.h>

#define MESSAGE_SLOT_SIZE 200
#define MESSAGE_TEXT_UNITS 2048   // the longest text a box shows, in UTF-16 units

// String resources.
#define IDS_CAPTION 200           // "Uninstall VEL"
#define IDS_COMPLETED 201         // "Uninstall completed"
#define IDS_DELETE_MANUALLY 202   // "You should delete %s manually"
#define IDS_CONFIRM 203           // "Continue with uninstall VEL"
#define IDS_NO_LIST_FILE 204      // "Cannot open list file"
#define IDS_UNKNOWN_WORD 205      // names a word of the command line that no mode takes, and the modes
#define IDS_ALREADY_RUNNING 206   // another uninstall of this installation runs
#define IDS_ENTRY_STAYS 207       // the Programs entry could not be removed: the program stays with it
#define IDS_PROGRAMS_RUNNING 208  // names the product's running programs: close them (Yes), go on (No), stop (Cancel)
#define IDS_AT_RESTART 209        // files in use go when Windows restarts

// Every message box of the program: no owner, in front, caption text 200.
#define MESSAGE_FLAGS MB_SETFOREGROUND

// The module the string table is loaded from; set once at start.
extern HINSTANCE g_instance;

// Text of string resource id in the next of five 200-character slots; valid
// through the next four calls. A missing string gives the empty text.
const char *LoadMessageText(UINT id);

// Shows text in a message box as every box of the program is shown (no
// owner, in front, caption text 200) with the given buttons and icon; returns
// the answer.
int ShowMessage(const char *text, UINT flags);

// The final message: the uninstall is over, but this program's file stayed
// and is for the user to delete; it names the file. Returns once the user
// has closed it.
void ShowFinalMessage(void);

#endif
