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
    struct Row {
        const char *commandLine;
        const char *group;
    } rows[] = {
        {"register Main Tools", "Main Tools"},
        {"REGISTER Main Tools", "Main Tools"},
        {"registerTools", "Tools"},
        {"register", ""},
        {"register   ", ""},
        {"register\tMain", "\tMain"},
        {"register  \"Main\"  ", "\"Main\"  "},
        {"regist", ""},   // shorter than the mode word: nothing is read past its end
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.commandLine);
        EXPECT_STREQ(row.group, SkipLeadingBlanks(TextAfterModeWord(row.commandLine)));
    }
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
