// The archive open command composed from a module path, natively under the
// sanitizers: the shape of the command and its refusal when it cannot fit.
#include "install/archives_text.h"
#include "common/canary.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const size_t kPathSize = 260;

// Runs ComposeOpenCommand into a buffer of size bytes followed by canary
// bytes that must survive; returns the result and the text.
int Compose(const std::string &modulePath, size_t size, std::string *text)
{
    Guarded buffer(size);
    int fit = ComposeOpenCommand(buffer.text(), size, modulePath.c_str());
    EXPECT_TRUE(buffer.intact()) << "written past the buffer";
    if (size > 0)
        *text = std::string(buffer.text(), strnlen(buffer.text(), size));
    return fit;
}

}  // namespace

TEST(OpenCommand, NamesVelExeBesideTheModuleQuotedOnlyWhenNeeded)
{
    struct Row { const char *modulePath; const char *command; } rows[] = {
        {"C:\\Program Files\\Vel\\VelUninstall.exe", "\"C:\\Program Files\\Vel\\Vel.exe\" \"%1\""},
        {"C:\\VEL\\VelUninstall.exe", "C:\\VEL\\Vel.exe \"%1\""},
        {"C:\\VelUninstall.exe", "C:\\Vel.exe \"%1\""},
        {"C:\\Tools\\Vel\\", "C:\\Tools\\Vel\\Vel.exe \"%1\""},
        {"C:\\A&B\\u.exe", "\"C:\\A&B\\Vel.exe\" \"%1\""},
        {"C:\\x+y,z\\u.exe", "\"C:\\x+y,z\\Vel.exe\" \"%1\""},
        {"-d\\u.exe", "\"-d\\Vel.exe\" \"%1\""},
        {"^d\\u.exe", "\"^d\\Vel.exe\" \"%1\""},
        // A blank in the replaced file name does not count.
        {"C:\\VEL\\Vel Uninstall.exe", "C:\\VEL\\Vel.exe \"%1\""},
        // Without a backslash the module path is taken as it is.
        {"VelUninstall.exe", "VelUninstall.exe \"%1\""},
        {"", " \"%1\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.modulePath);
        std::string text;
        EXPECT_EQ(1, Compose(row.modulePath, kPathSize, &text));
        EXPECT_EQ(row.command, text);
    }
}

TEST(OpenCommand, RefusesWhatWouldNotFitAtTheBoundary)
{
    // "C:\" + padding + "\u.exe": the command is the directory, "\Vel.exe" and
    // " \"%1\"" (13 more characters), plus two quotes when there is a blank.
    struct Row { bool blank; size_t commandLength; int fits; } rows[] = {
        {false, kPathSize - 2, 1},
        {false, kPathSize - 1, 1},   // exactly fills the buffer
        {false, kPathSize, 0},
        {false, kPathSize + 1, 0},
        {true, kPathSize - 2, 1},
        {true, kPathSize - 1, 1},
        {true, kPathSize, 0},        // the quotes are what no longer fits
        {true, kPathSize + 1, 0},
    };
    for (const Row &row : rows) {
        size_t directoryLength = row.commandLength - 13 - (row.blank ? 2 : 0);
        std::string directory = row.blank ? "C:\\ " : "C:\\x";
        directory.resize(directoryLength, 'd');
        std::string modulePath = directory + "\\u.exe";
        SCOPED_TRACE(testing::Message() << "blank " << row.blank << ", command length "
                                        << row.commandLength);
        std::string text = "unset";
        EXPECT_EQ(row.fits, Compose(modulePath, kPathSize, &text));
        if (row.fits) {
            std::string exe = directory + "\\Vel.exe";
            EXPECT_EQ((row.blank ? "\"" + exe + "\"" : exe) + " \"%1\"", text);
            EXPECT_EQ(row.commandLength, text.size());
        } else {
            EXPECT_EQ("", text) << "a refused command must not be left cut";
        }
    }
}

TEST(OpenCommand, RefusesModulePathsThatDoNotFitAndTinyBuffers)
{
    std::string text = "unset";
    // The module path itself does not fit.
    EXPECT_EQ(0, Compose("C:\\" + std::string(kPathSize, 'd') + "\\u.exe", kPathSize, &text));
    EXPECT_EQ("", text);
    // "Vel.exe" is longer than the name it replaces.
    EXPECT_EQ(0, Compose("C:\\a\\u.exe", 12, &text));
    EXPECT_EQ("", text);
    EXPECT_EQ(1, Compose("C:\\a\\u.exe", 18, &text));   // "C:\a\Vel.exe "%1"" is 17
    EXPECT_EQ("C:\\a\\Vel.exe \"%1\"", text);
    EXPECT_EQ(0, Compose("C:\\a\\u.exe", 17, &text));
    EXPECT_EQ("", text);
    EXPECT_EQ(0, Compose("", 1, &text));
    EXPECT_EQ("", text);
    EXPECT_EQ(0, Compose("C:\\a\\u.exe", 0, &text));
}
