// Helpers of the archive association tests: the keys the arc mode may touch,
// and a snapshot that puts those keys back exactly as the prefix had them.
#ifndef VEL_TEST_SUPPORT_ARC_H
#define VEL_TEST_SUPPORT_ARC_H

#include "e2e/support_harness.h"

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace e2e {

struct ArchiveRow {
    const char *extension;
    const char *typeName;
};
// The nine extensions and their types, in the program's order.
const std::vector<ArchiveRow> &ArchiveRows();
// The nine extension keys and the seven type keys below HKEY_CLASSES_ROOT.
std::vector<std::string> ArchiveKeys();

// Every value and subkey of a key, recursively, so it can be written back.
struct KeyImage {
    bool exists = false;
    std::vector<std::pair<std::string, Value>> values;
    std::vector<std::pair<std::string, KeyImage>> subkeys;
};
KeyImage CaptureKey(HKEY root, const std::string &path);
// Deletes the key's tree, then recreates exactly what the image holds.
void RestoreKey(HKEY root, const std::string &path, const KeyImage &image);

// Captures keys at construction and restores them at destruction.
class KeysRestorer {
public:
    KeysRestorer(HKEY root, const std::vector<std::string> &paths);
    ~KeysRestorer();
private:
    HKEY root_;
    std::vector<std::pair<std::string, KeyImage>> images_;
};

// Lets a failing comparison show a value as its type and text (or bytes).
void PrintTo(const Value &value, std::ostream *out);

// Opens a file as the shell does (ShellExecuteEx, default verb) and waits for
// the started program; false when nothing was started or it did not end.
bool OpenThroughShell(const std::string &file, std::string *error);

}  // namespace e2e

#endif
