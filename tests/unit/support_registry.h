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

private:
    HKEY overrides_[4] = {};
};

#endif
