// Unit-test fixture: the four predefined roots redirected to scratch keys of
// this test process, so no test touches the prefix's real hives.
#ifndef VEL_TEST_SUPPORT_REGISTRY_H
#define VEL_TEST_SUPPORT_REGISTRY_H

#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class ScratchRegistry : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Raw registry helpers on the (redirected) roots.
    static void CreateKey(HKEY root, const char *path);
    static bool KeyExists(HKEY root, const char *path);
    static void SetString(HKEY root, const char *path, const char *name, const char *text);
    static void SetRaw(HKEY root, const char *path, const char *name, DWORD type,
                       const void *data, DWORD size);
    // Reads a value; false when missing. Type and exact bytes are returned.
    static bool GetRaw(HKEY root, const char *path, const char *name, DWORD *type,
                       std::vector<unsigned char> *bytes);
    static std::string GetString(HKEY root, const char *path, const char *name);
    static DWORD CountSubkeys(HKEY root, const char *path);
    static DWORD CountValues(HKEY root, const char *path);

private:
    HKEY overrides_[4] = {};
};

// Fills a buffer with a canary byte and tells whether bytes past a limit survived.
const unsigned char kCanary = 0xBD;
bool CanaryIntact(const void *buffer, size_t from, size_t to);

#endif
