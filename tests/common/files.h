// File helpers of the tests, on the real file system of the Wine prefix,
// and the one fixture that removes what a test made.
#ifndef VEL_TEST_COMMON_FILES_H
#define VEL_TEST_COMMON_FILES_H

#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

bool Exists(const std::string &path);
void MakeDirs(const std::string &path);   // the path and its missing parents
void WriteBytes(const std::string &path, const std::string &bytes);
std::string ReadBytes(const std::string &path);   // "<missing>" when it cannot be read
// The same for names the ANSI code page cannot spell.
void WriteBytes(const std::wstring &path, const std::string &bytes);
std::string ReadBytes(const std::wstring &path);
bool Exists(const std::wstring &path);
// Removes a directory tree, clearing attributes first; a directory link is
// not entered. Missing is fine.
void RemoveTree(const std::string &path);
std::string TempDir();   // GetTempPathA, with its trailing backslash
// The short (8.3) form the system gives an existing path, in the ANSI code
// page, which holds every short name ("" when there is none). Its form
// depends on the file system: ask, never guess.
std::string ShortPathOf(const std::wstring &path);
std::string ShortPathOf(const std::string &path);
// name, a path below dir, as that form spells it: its components' aliases.
// "" when there is none, or it is name itself. dir may have aliases of its own.
std::string ShortNameBelow(const std::string &dir, const std::string &name);
// Host path of a path in the prefix ("" when there is none).
std::string HostPathOf(const std::string &windowsPath);
// Runs a program of the host ("Z:\\bin\\ln ..."). The command line is UTF-8,
// as HostPathOf gives host paths. Under Wine its end cannot be waited for (no
// handle comes back): callers watch for its effect.
bool RunHostProgram(const std::string &commandLine);
// Removes a tree with the host's rm, links whose target is gone included
// (no Win32 call reaches those in a Wine prefix). False when it stays.
bool RemoveTreeOnHost(const std::string &path);
// A symbolic link, made by the host's ln as links exist in a Wine prefix.
// True when the link is there (a link to a file shows as a plain file).
bool MakeSymlink(const std::string &link, const std::string &target);
// Polls until the path is gone; false on time-out.
bool WaitUntilGone(const std::string &path, DWORD milliseconds = 30000);

// A test that removes every path given to Keep() on tear-down, pass or fail.
class CleanupTest : public ::testing::Test {
protected:
    void TearDown() override;
    void Keep(const std::string &path) { kept_.push_back(path); }

private:
    std::vector<std::string> kept_;
};

#endif
