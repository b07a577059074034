// Snapshots of what a Wine prefix holds, as a Windows program sees it, so
// that a test can say exactly what a scenario left behind: every folder, file
// and link of drive C: (a file with its size and a hash of its bytes), and
// every key and value of HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS
// (HKEY_CLASSES_ROOT is no store of its own: what it shows lies in their
// Software\Classes keys). Both registry views and both system folders are covered
// when the prefix is 64-bit. A few things that Wine itself changes between two
// runs of anything are left out (snapshot.cpp says which and why).
#ifndef VEL_TEST_COMMON_SNAPSHOT_H
#define VEL_TEST_COMMON_SNAPSHOT_H

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace snapshot {

// Entry name -> its state. Names:
//   "C:\Program Files\Vel\Vel.exe"        a file, folder or link
//   "HKLM\SOFTWARE\Vel\"                 a key (ends in a backslash)
//   "HKLM\SOFTWARE\Vel\|Group"           a value ("|" alone: the default value)
// States read like "file 14848 bytes fnv 0123456789abcdef", "folder",
// "REG_SZ \"Vel\"", "REG_DWORD 0x1".
typedef std::map<std::string, std::string> Snapshot;

Snapshot Take();

// One entry that differs; an empty state means absent on that side.
struct Change {
    std::string name, before, after;
};
std::vector<Change> Compare(const Snapshot &before, const Snapshot &after);

// True when name is prefix itself or lies below it; letters compare without
// regard to case, as file and key names do. A prefix ending in "\" or "|"
// matches below it only.
bool IsUnder(const std::string &name, const std::string &prefix);

// The changes that lie below none of the allowed prefixes.
std::vector<Change> Unexpected(const std::vector<Change> &changes,
                               const std::vector<std::string> &allowed);

// One line per change: "+ name: after", "- name: before", "~ name: before -> after".
std::ostream &operator<<(std::ostream &out, const std::vector<Change> &changes);

}  // namespace snapshot

#endif
