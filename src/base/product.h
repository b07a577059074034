// The names the product is known by in the registry and the file system.
// The registration writes them and the uninstall removes them: both take them
// from here, so one place shows that the uninstall removes what was written.
// No system calls: also built natively.
#ifndef VEL_BASE_PRODUCT_H
#define VEL_BASE_PRODUCT_H

// The settings root below each hive (and behind the hive prefix).
#define SETTINGS_ROOT "Software\\Vel"

// Below HKEY_LOCAL_MACHINE: the Add/Remove Programs entry and the App Paths
// entry of the file manager. Key names compare without regard to case.
#define UNINSTALL_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VEL manager"
#define APP_PATHS_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Vel.exe"
#define DISPLAY_NAME "VEL file manager"
// Beside the Programs-list entry, for an uninstall by another account than
// the one that registered: the group's name, and the Programs folder of the
// account whose group it is.
#define GROUP_VALUE "Group"
#define PROGRAMS_FOLDER_VALUE "ProgramsFolder"

// Settings keys of the default FTP host, named by the download directory.
// Below "Software\Vel\" the host's key path has 65 characters.
#define FTP_HOSTS_KEY "Plugins\\FTP\\Hosts"
#define FTP_HOST_KEY FTP_HOSTS_KEY "\\ftp://ftp.vel-manager.org/pub/vel/"

// Files in the program directory.
#define FILE_MANAGER_NAME "Vel.exe"
#define LIST_FILE_NAME "UnInstall.lst"
#define LAUNCHER_NAME "Vel.bat"             // Windows 95/98/Me only
#define LAUNCHER_MARKER_NAME "$UseBat.$$$"

// The self-removal batch file, in the temporary directory.
#define BATCH_FILE_NAME "Uninstall.Vel.Bat"

// Below HKEY_CLASSES_ROOT: the shell's copy-hook handler list, dropped at
// every start while it is empty.
#define COPY_HOOK_KEY "Directory\\shellex\\CopyHookHandlers"

#endif
