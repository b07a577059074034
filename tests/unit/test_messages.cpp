// The message texts: string resources 200-204 through the ring of five slots.
#include <gtest/gtest.h>
#include <string.h>
#include <string>

#include "base/messages.h"

TEST(Messages, TextsComeFromTheResourcesThroughARingOfFiveSlots)
{
    g_instance = GetModuleHandleA(NULL);
    const char *expected[] = {"Uninstall VEL", "Uninstall completed", "You should delete %s manually",
                              "Continue with uninstall VEL", "Cannot open list file"};
    const char *slots[5];
    for (int i = 0; i < 5; i++) {
        slots[i] = LoadMessageText(IDS_CAPTION + i);
        EXPECT_STREQ(expected[i], slots[i]);
    }
    // Five calls use five different slots, and each text is intact through
    // the four calls after it.
    for (int i = 0; i < 5; i++) {
        EXPECT_STREQ(expected[i], slots[i]);
        for (int j = i + 1; j < 5; j++)
            EXPECT_NE(slots[i], slots[j]);
    }
    // The sixth call reuses the first slot.
    const char *sixth = LoadMessageText(IDS_CONFIRM);
    EXPECT_EQ(slots[0], sixth);
    EXPECT_STREQ("Continue with uninstall VEL", slots[0]);
    EXPECT_STREQ("Uninstall completed", slots[1]);

    // A missing string gives the empty text, not the slot's former one.
    EXPECT_STREQ("", LoadMessageText(199));
}

TEST(Messages, StringTableIsStoredUnderRussian)
{
    HMODULE self = GetModuleHandleA(NULL);
    // String ids 200-204 live in block 200 / 16 + 1 = 13.
    HRSRC block = FindResourceExA(self, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(13),
                                  MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    EXPECT_NE(nullptr, block);
    HRSRC icon = FindResourceA(self, "UNINSTALL", (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(nullptr, icon);
    // One entry: 32x32, 16 colours, icon id 1.
    const BYTE *group = (const BYTE *)LockResource(LoadResource(self, icon));
    ASSERT_NE(nullptr, group);
    EXPECT_EQ(1, *(const WORD *)(group + 4));
    EXPECT_EQ(32, group[6]);
    EXPECT_EQ(32, group[7]);
    EXPECT_EQ(16, group[8]);
    EXPECT_EQ(1, *(const WORD *)(group + 6 + 12));
}
