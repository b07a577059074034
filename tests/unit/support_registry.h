// Unit-test fixture: the four predefined roots redirected to scratch keys of
// this test process, so no test touches the prefix's real hives.
#ifndef VEL_TEST_SUPPORT_REGISTRY_H
#define VEL_TEST_SUPPORT_REGISTRY_H

#include "common/canary.h"
#include "common/registry.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class ScratchRegistry : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes root\path a registry link to targetRoot\targetPath, which must
    // exist. A link names its target by the real path, so it leads there
    // whatever the roots are redirected to. Removed as the link on tear-down.
    void MakeLink(HKEY root, const std::string &path, HKEY targetRoot, const std::string &targetPath);

private:
    HKEY overrides_[4] = {};
    std::vector<std::pair<HKEY, std::string>> links_;
};

#endif
