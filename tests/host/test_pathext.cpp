// The executable mask merge and the list splitter, natively under the sanitizers.
#include "install/pathext_text.h"
#include "common/canary.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const char kInitial[] = "*.exe,*.com,*.bat,%PATHEXT%";
const char kNt[] = "*.exe,*.com,*.bat,%PATHEXT%,*.cmd";

// A mask buffer of the given size with canaries behind it.
struct Mask : Guarded {
    Mask(const std::string &text, size_t size_ = EXECUTABLE_MASK_SIZE) : Guarded(size_, text) {}
    std::string Merge(const char *pathExt)
    {
        std::vector<char> value;
        if (pathExt)
            value.assign(pathExt, pathExt + strlen(pathExt) + 1);
        EXPECT_EQ(text(), MergeExtensionList(text(), size, pathExt ? value.data() : nullptr));
        return text();
    }
};

// All items of a list, as the merge sees them.
std::vector<std::string> Split(const char *text, int separator, size_t itemSize = LIST_ITEM_SIZE)
{
    std::vector<std::string> items;
    Guarded item(itemSize);
    for (const char *p = text; (p = NextListItem(p, item.text(), itemSize, separator)) != nullptr;) {
        items.push_back(item.text());
        EXPECT_TRUE(item.intact()) << "item buffer overrun";
    }
    return items;
}

}  // namespace

TEST(MergeExtensionList, GivesTheDocumentedMaskForEachPathExt)
{
    struct Row {
        const char *start;
        const char *pathExt;   // nullptr: not set
        const char *expected;
    } rows[] = {
        {kInitial, nullptr, "*.exe,*.com,*.bat,%PATHEXT%"},
        {kNt, nullptr, "*.exe,*.com,*.bat,%PATHEXT%,*.cmd"},
        {kNt, ".COM;.EXE;.BAT;.CMD", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd"},
        {kNt, ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH",
         "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.vbs,*.vbe,*.js,*.jse,*.wsf,*.wsh"},
        {kInitial, ".COM;.EXE;.BAT;.CMD;.VBS;.JS", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.vbs,*.js"},
        {kNt, ".JSE;.JS", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.jse"},
        {kNt, ".C;.PY", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.py"},
        {kNt, ".PL;  .PY;\t.RB", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.pl,*.py,*.rb"},
        {kNt, ".COM;;.PY", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.py"},
        {kNt, ".PY ;.PYW", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.py ,*.pyw"},
        {kNt, ".[A;B];.C2", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.[a;b],*.c2"},
        // Beyond the table: duplicates, a trailing separator, an empty mask,
        // a mask that already ends in a comma, only non-ASCII letters kept.
        {kNt, ".PY;.py;.PY", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.py"},
        {kNt, ".PY;", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.py"},
        {"", ".PY;.RB", "*.py,*.rb"},
        {"*.exe,", ".PY", "*.exe,*.py"},
        {"*.exe,", nullptr, "*.exe"},
        {kNt, ".\xC4X", "*.exe,*.com,*.bat,%PATHEXT%,*.cmd,*.\xC4x"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.pathExt ? row.pathExt : "(not set)");
        Mask mask(row.start);
        EXPECT_EQ(row.expected, mask.Merge(row.pathExt));
        EXPECT_TRUE(mask.intact());
    }
}

TEST(MergeExtensionList, LowerCasesThePathExtBufferInPlace)
{
    char value[] = ".PY;.Rb;.\xC4Z";
    Mask mask(kNt);
    MergeExtensionList(mask.text(), mask.size, value);
    EXPECT_STREQ(".py;.rb;.\xC4z", value);
}

TEST(MergeExtensionList, SkipsItemsLongerThanThirtyCharacters)
{
    const std::string thirty = "." + std::string(29, 'a');
    const std::string thirtyOne = "." + std::string(30, 'b');
    const std::string over = "." + std::string(400, 'c');   // cut by the item buffer too
    Mask mask(kNt);
    std::string value = thirtyOne + ";" + thirty + ";" + over + ";.py;" + thirtyOne;
    EXPECT_EQ(std::string(kNt) + ",*" + thirty + ",*.py", mask.Merge(value.c_str()));
    EXPECT_TRUE(mask.intact());
}

TEST(MergeExtensionList, StopsBeforeOverflowingTheMaskAndLeavesNoTrailingComma)
{
    // A pattern of n characters after the comma needs len + 1 + n + 1 bytes.
    const std::string start = "*.exe";
    struct Row {
        size_t size;
        const char *expected;
    } rows[] = {
        {start.size() + 2, "*.exe"},                    // not even the comma fits
        {start.size() + 1 + 4, "*.exe"},                // "*.py" one byte short
        {start.size() + 1 + 4 + 1, "*.exe,*.py"},       // exactly "*.py", no room for the comma
        {start.size() + 1 + 4 + 2, "*.exe,*.py"},       // comma fits, "*.rb" does not
        {start.size() + 1 + 9 + 1, "*.exe,*.py,*.rb"},  // exact fit of both
        {start.size() + 1 + 9 + 2, "*.exe,*.py,*.rb"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.size);
        Mask mask(start, row.size);
        EXPECT_EQ(row.expected, mask.Merge(".PY;.RB"));
        EXPECT_TRUE(mask.intact());
    }
}

TEST(MergeExtensionList, FillsAFullSizeMaskWithoutWritingPastIt)
{
    std::string value;
    for (int i = 0; i < 400; i++)
        value += ".x" + std::to_string(i) + ";";
    Mask mask(kNt);
    std::string merged = mask.Merge(value.c_str());
    EXPECT_TRUE(mask.intact());
    EXPECT_LT(merged.size(), (size_t)EXECUTABLE_MASK_SIZE);
    EXPECT_GT(merged.size(), (size_t)EXECUTABLE_MASK_SIZE - 8) << "stopped long before the end";
    EXPECT_NE(',', merged.back());
    EXPECT_EQ(0u, merged.find(kNt));
}

TEST(NextListItem, SplitsOnTheSeparatorAndSkipsWhiteSpaceAfterIt)
{
    struct Row {
        const char *text;
        std::vector<std::string> items;
    } rows[] = {
        {"one", {"one"}},
        {"a;b", {"a", "b"}},
        {" a ;  b;\t\n\v\f\rc", {" a ", "b", "c"}},   // blanks before an item or separator stay
        {"a;;b", {"a", "", "b"}},
        {"a;", {"a"}},                               // a separator at the end adds no item
        {";", {""}},
        {"", {}},
        {"[a;b];c", {"[a;b]", "c"}},
        {"[a;b;c", {"[a", "b", "c"}},                // no ']' later: the bracket does not hold
        {"a[;b;c]", {"a[;b;c]"}},
        {"[x]];y]", {"[x]]", "y]"}},                 // ']' clears, a later ']' does not restore
        {"x;[y;z];]", {"x", "[y;z]", "]"}},          // the lookahead may find a ']' in a later item
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.items, Split(row.text, ';'));
    }
}

TEST(NextListItem, ReportsTheEndOnlyOnTheCallAfterTheLastItem)
{
    const char text[] = "single";
    char item[16];
    memset(item, kCanary, sizeof item);
    const char *end = NextListItem(text, item, sizeof item, ';');
    ASSERT_NE(nullptr, end);
    EXPECT_EQ(text + 6, end);
    EXPECT_STREQ("single", item);
    strcpy(item, "untouched");
    EXPECT_EQ(nullptr, NextListItem(end, item, sizeof item, ';'));
    EXPECT_STREQ("untouched", item);
}

TEST(NextListItem, UsesOnlyTheLowEightBitsOfTheSeparator)
{
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Split("a,b", 0x100 | ','));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Split("a\xE9" "b", 0xE9));
}

TEST(NextListItem, CutsAnItemAtTheBufferSizeButPassesOverItWhole)
{
    // Items of size-1 fit; size and size+1 characters are cut to size-1.
    const size_t size = 8;
    EXPECT_EQ((std::vector<std::string>{"abcdefg", "z"}), Split("abcdefg;z", ';', size));
    EXPECT_EQ((std::vector<std::string>{"abcdefg", "z"}), Split("abcdefgh;z", ';', size));
    EXPECT_EQ((std::vector<std::string>{"abcdefg", "z"}), Split("abcdefghi;z", ';', size));
    EXPECT_EQ((std::vector<std::string>{"", ""}), Split("abc;d", ';', 1));
}
