// Text steps of the registration, natively under the sanitizers.
#include "install/register_text.h"
#include "base/modulepath_text.h"
#include "common/canary.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

}  // namespace

TEST(GroupText, StartsAtTheNinthCharacterAndSkipsOnlyBlanks)
{
    // The group text, and the name recorded from it: a quoted name without
    // its quotes, anything else as it is.
    struct Row {
        const char *commandLine;
        const char *group, *recorded;
    } rows[] = {
        {"register Main Tools", "Main Tools", "Main Tools"},
        {"REGISTER Main Tools", "Main Tools", "Main Tools"},
        {"registerTools", "Tools", "Tools"},
        {"register", "", ""},
        {"register   ", "", ""},
        {"register\tMain", "\tMain", "\tMain"},
        {"register  \"Main\"  ", "\"Main\"  ", "Main"},
        {"register \"Main Tools\"\t", "\"Main Tools\"\t", "Main Tools"},
        {"register \"Main", "\"Main", "\"Main"},
        {"register \"a\" b", "\"a\" b", "\"a\" b"},
        {"register \"\"", "\"\"", ""},
        {"regist", "", ""},   // shorter than the mode word: nothing is read past its end
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.commandLine);
        const char *group = SkipLeadingBlanks(TextAfterModeWord(row.commandLine));
        EXPECT_STREQ(row.group, group);
        Guarded out(GROUP_TEXT_SIZE);
        EXPECT_EQ(1, ComposeGroupName(out.text(), out.size, group));
        EXPECT_STREQ(row.recorded, out.text());
        EXPECT_TRUE(out.intact());
    }
    // One that does not fit is refused whole, for the caller to record as given.
    Guarded small(4);
    EXPECT_EQ(0, ComposeGroupName(small.text(), small.size, "\"Main\""));
    EXPECT_STREQ("", small.text());
    EXPECT_TRUE(small.intact());
}

TEST(ProgramPaths, ReplaceTheFileNameOrCutAtTheLastBackslash)
{
    char out[260];
    EXPECT_EQ(1, ComposeProgramFilePath(out, sizeof out, "C:\\Program Files\\Vel\\VelUninstall.exe", "Vel.exe"));
    EXPECT_STREQ("C:\\Program Files\\Vel\\Vel.exe", out);
    EXPECT_EQ(1, ComposeProgramDirectory(out, sizeof out, "C:\\Program Files\\Vel\\VelUninstall.exe"));
    EXPECT_STREQ("C:\\Program Files\\Vel", out);
    // A drive root keeps its backslash: "C:" is the drive's current directory.
    EXPECT_EQ(1, ComposeProgramDirectory(out, sizeof out, "C:\\VelUninstall.exe"));
    EXPECT_STREQ("C:\\", out);
    // Without a backslash both stay the whole module path.
    EXPECT_EQ(1, ComposeProgramFilePath(out, sizeof out, "VelUninstall.exe", "Vel.exe"));
    EXPECT_STREQ("VelUninstall.exe", out);
    EXPECT_EQ(1, ComposeProgramDirectory(out, sizeof out, "VelUninstall.exe"));
    EXPECT_STREQ("VelUninstall.exe", out);
}

TEST(ProgramPaths, RefuseAPathThatWouldBeCut)
{
    // "<dir>\U.exe" with "$UseBat.$$$": the result needs dir + 13 bytes.
    const std::string dir = "C:\\" + std::string(200, 'd');
    const std::string module = dir + "\\U.exe";
    const std::string expected = dir + "\\$UseBat.$$$";
    for (size_t size : {expected.size(), expected.size() + 1, expected.size() + 2}) {
        SCOPED_TRACE(size);
        Guarded out(size);
        int fit = ComposeProgramFilePath(out.text(), out.size, module.c_str(), "$UseBat.$$$");
        EXPECT_EQ(size > expected.size(), fit != 0);
        EXPECT_EQ(fit ? expected : "", std::string(out.text()));
        EXPECT_TRUE(out.intact());
    }
    // A drive root with its backslash, "C:\\", needs 4 bytes.
    struct Row { std::string module, dir; } rows[] = {{module, dir}, {"C:\\U.exe", "C:\\"}};
    for (const Row &row : rows) {
        for (size_t size : {row.dir.size(), row.dir.size() + 1, row.dir.size() + 2}) {
            SCOPED_TRACE(row.dir + " in " + std::to_string(size));
            Guarded out(size);
            int fit = ComposeProgramDirectory(out.text(), out.size, row.module.c_str());
            EXPECT_EQ(size > row.dir.size(), fit != 0);
            EXPECT_EQ(fit ? row.dir : "", std::string(out.text()));
            EXPECT_TRUE(out.intact());
        }
    }
}

TEST(LauncherLine, IsThePathTheNineParametersAndCrLf)
{
    char out[300];
    EXPECT_EQ(1, FormatLauncherLine(out, sizeof out, "\"C:\\Program Files\\Vel\\Vel.exe\""));
    EXPECT_STREQ("\"C:\\Program Files\\Vel\\Vel.exe\" %1 %2 %3 %4 %5 %6 %7 %8 %9\r\n", out);
    EXPECT_EQ(1, FormatLauncherLine(out, sizeof out, "C:\\VEL\\Vel.exe"));
    EXPECT_STREQ("C:\\VEL\\Vel.exe %1 %2 %3 %4 %5 %6 %7 %8 %9\r\n", out);

    const std::string path(250, 'p');
    const std::string line = path + " %1 %2 %3 %4 %5 %6 %7 %8 %9\r\n";
    for (size_t size : {line.size(), line.size() + 1, line.size() + 2}) {
        SCOPED_TRACE(size);
        Guarded buffer(size);
        int fit = FormatLauncherLine(buffer.text(), buffer.size, path.c_str());
        EXPECT_EQ(size > line.size(), fit != 0);
        EXPECT_EQ(fit ? line : "", std::string(buffer.text()));
        EXPECT_TRUE(buffer.intact());
    }
}

// A version block as GetFileVersionInfoA gives it, with the fixed
// information at start (0 for none) holding file version a.b.c.d.
static std::vector<unsigned char> VersionBlock(size_t start, unsigned a, unsigned b, unsigned c, unsigned d)
{
    std::vector<unsigned char> block(start + 52 + 40, 0);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; i++) {
        if (start == 40)
            block[6 + 2 * i] = (unsigned char)key[i];   // wide, after wType
        else
            block[4 + i] = (unsigned char)key[i];
    }
    unsigned words[] = {0xFEEF04BDu, 0x10000u, a << 16 | b, c << 16 | d};
    for (size_t w = 0; start && w < 4; w++)
        for (size_t i = 0; i < 4; i++)
            block[start + 4 * w + i] = (unsigned char)(words[w] >> (8 * i));
    return block;
}

TEST(FixedFileVersion, ReadsAllFourNumbersOfA32BitProgramsResourceAndNothingElse)
{
    struct Row {
        const char *name;
        std::vector<unsigned char> block;
        size_t size;   // 0: the whole block
        bool found;
    } rows[] = {
        {"wide", VersionBlock(40, 3, 14, 159, 2653), 0, true},
        {"a 16-bit program's", VersionBlock(20, 3, 14, 159, 2653), 0, false},
        {"largest numbers", VersionBlock(40, 65535, 65535, 65535, 65535), 0, true},
        {"no fixed information", VersionBlock(0, 0, 0, 0, 0), 0, false},
        {"cut inside it", VersionBlock(40, 3, 14, 159, 2653), 40 + 51, false},
        {"cut right after it", VersionBlock(40, 3, 14, 159, 2653), 40 + 52, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        unsigned version[4] = {0xdeadbeef, 0xdeadbeef, 0xdeadbeef, 0xdeadbeef};
        size_t size = row.size ? row.size : row.block.size();
        // A copy of exactly size bytes: reading past it is caught by the sanitizer.
        std::vector<unsigned char> bytes(row.block.begin(), row.block.begin() + size);
        EXPECT_EQ(row.found ? 1 : 0, ReadFixedFileVersion(bytes.data(), bytes.size(), version));
        if (!row.found)
            EXPECT_EQ(0xdeadbeef, version[0]) << "untouched";
        else if (version[0] == 3)
            EXPECT_EQ((std::vector<unsigned>{3, 14, 159, 2653}), std::vector<unsigned>(version, version + 4));
        else
            EXPECT_EQ((std::vector<unsigned>{65535, 65535, 65535, 65535}), std::vector<unsigned>(version, version + 4));
    }
}
