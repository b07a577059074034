// What the register mode is expected to leave behind, written out here from
// the product's documented tables (not taken from the product's own), and a
// fixture that puts the prefix back as it found it.
#ifndef VEL_TEST_SUPPORT_REGISTER_H
#define VEL_TEST_SUPPORT_REGISTER_H

#include "e2e/support_harness.h"

namespace e2e {

extern const char kUserSettings[];      // below HKEY_CURRENT_USER
extern const char kDefaultSettings[];   // below HKEY_USERS
extern const char kFtpHostKey[];        // settings key of the default FTP host
extern const char kInternational[];

// A dump of a key tree as DumpTree gives it: "sub\key\" for each key and
// "sub\key|value" for each value.
typedef std::map<std::string, Value> Tree;

void AddKey(Tree *tree, const std::string &key);
void AddValue(Tree *tree, const std::string &key, const std::string &name, const Value &value);

// The eight highlight groups with the given executable mask.
void AddHighlightDefaults(Tree *tree, const std::string &executableMask);
void AddSortGroupDefaults(Tree *tree, const std::string &executableMask);
void AddApplyCmdDefaults(Tree *tree);
// All three sets above.
void AddFirstRunDefaults(Tree *tree, const std::string &executableMask);
// Locale rows: 0 German, 1 Russian, 2 Ukrainian.
void AddCodeTableDefaults(Tree *tree, int row);
void AddXlatDefaults(Tree *tree, int row, DWORD flags);
// "Group" and the FTP host: the current user's tree only.
void AddCurrentUserEntries(Tree *tree, const std::string &group);

// "UninstallString" for a program: a command line, so the path is in double
// quotes when it holds a blank, '&', '+' or ',' or starts with '-' or '^'.
std::string UninstallCommand(const std::string &exe);

// Copies a program file with its version resource's file version set to
// major.minor.build.revision, as a file manager of that version has it.
void CopyWithFileVersion(const std::string &from, const std::string &to, WORD major, WORD minor, WORD build,
                         WORD revision);

// Compares a whole tree, listing every missing, extra and differing entry.
void ExpectTree(const Tree &expected, HKEY root, const std::string &path);

// The fixture: a program directory with the product in it, and every key,
// file, environment variable and Windows version a test changes put back.
class RegisterFixture : public CleanupTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies the product into dir (removed again on tear-down); returns its path.
    std::string Install(const std::string &dir);
    // Runs "<quoted exe><rest>" and expects it to end quietly with exitCode.
    void RunRegister(const std::string &exe, const std::string &rest, DWORD exitCode = 0);
    static void CleanRegistry();

    void SetPathExt(const char *value);   // NULL unsets it for the program
    void SetGate(const char *text);       // NULL: no key "Vel" below HKEY_CLASSES_ROOT
    void SetLocale(const char *locale);

    // Gives HKEY_LOCAL_MACHINE's two registration keys a security descriptor
    // that lets nobody write them, as for a user without administrator rights.
    void DenyMachineKeys();
    void AllowMachineKeys();

    // Checks the Add/Remove Programs and App Paths entries for an exe: the
    // values every entry has, and those of extra (version, size).
    static void ExpectRegistration(const std::string &exe, const std::string &group, const Tree &extra = Tree());
    static void ExpectNoRegistration();

private:
    std::string savedPathExt_;
    bool hadPathExt_ = false;
    std::string savedLocale_;
    bool denied_ = false;
};

}  // namespace e2e

#endif
