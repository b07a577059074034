// The settings layer against the real registry (redirected scratch roots).
#include "support_registry.h"
#include "settings.h"

#include <string.h>

class Settings : public ScratchRegistry {};

TEST_F(Settings, WriteStringCreatesParentsAndStoresTerminator)
{
    WriteSettingString("Plugins\\FTP\\Hosts", "Description", "Latest VEL");
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(GetRaw(HKEY_CURRENT_USER, "Software\\Vel\\Plugins\\FTP\\Hosts", "Description", &type, &bytes));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::vector<unsigned char>({'L','a','t','e','s','t',' ','V','E','L',0}), bytes);
}
