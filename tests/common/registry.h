// Raw registry helpers of the tests, on whatever the predefined roots point
// to: the prefix's real hives in end-to-end tests, scratch keys in unit tests.
#ifndef VEL_TEST_COMMON_REGISTRY_H
#define VEL_TEST_COMMON_REGISTRY_H

#include <windows.h>
#include <map>
#include <set>
#include <string>
#include <vector>

struct Value {
    DWORD type;
    std::vector<unsigned char> bytes;
    bool operator==(const Value &o) const { return type == o.type && bytes == o.bytes; }
};
Value StringValue(const std::string &text);   // REG_SZ with its terminator
Value DwordValue(DWORD value);
Value BinaryValue(const void *data, size_t size);

bool KeyExists(HKEY root, const std::string &path);
void CreateKey(HKEY root, const std::string &path);   // fails the test when it cannot
void DeleteTree(HKEY root, const std::string &path);  // missing is fine
void SetRaw(HKEY root, const std::string &path, const std::string &name, DWORD type,
            const void *data, DWORD size);
void SetString(HKEY root, const std::string &path, const std::string &name, const std::string &text);

// A value's type and exact bytes; false when missing.
bool GetValue(HKEY root, const std::string &path, const std::string &name, Value *value);
bool GetRaw(HKEY root, const std::string &path, const std::string &name, DWORD *type,
            std::vector<unsigned char> *bytes);
// A string value up to its first terminator, or "<missing>".
std::string GetString(HKEY root, const std::string &path, const std::string &name);
// Texts of any letters, as the program's Windows NT side reads and writes them.
std::wstring GetWideString(HKEY root, const std::string &path, const std::wstring &name);
void SetWideString(HKEY root, const std::string &path, const std::wstring &name, const std::wstring &text,
                   DWORD type = REG_SZ);

// Every value below a key, by "subkey\path|value name" (case as stored), and
// "subkey\path\" for every key below it.
std::map<std::string, Value> DumpTree(HKEY root, const std::string &path);

// Makes root\path a registry link (REG_OPTION_CREATE_LINK) to
// targetRoot\targetPath, which must exist. A link names its target by the
// real path ("\REGISTRY\USER\<sid>\..."), so it leads there whatever the
// roots are redirected to. Fails the test when it cannot.
void MakeRegistryLink(HKEY root, const std::string &path, HKEY targetRoot, const std::string &targetPath);
// Deletes root\path as the link it is, never its target; missing is fine.
void DeleteRegistryLink(HKEY root, const std::string &path);

// Names of the subkeys directly below a key (as stored); none when it cannot be opened.
// view: KEY_WOW64_64KEY to open in the 64-bit view (a 32-bit program's
// default view would redirect even a path of "" below a 64-bit handle).
std::set<std::string> SubkeyNames(HKEY root, const std::string &path, REGSAM view = 0);
// Subkeys or values directly below a key; (DWORD)-1 when it cannot be opened.
DWORD CountSubkeys(HKEY root, const std::string &path);
DWORD CountValues(HKEY root, const std::string &path);

#endif
