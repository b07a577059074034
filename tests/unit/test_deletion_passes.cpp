// The deletion passes over a list file, against the real file system.
#include "uninstall/uninstall.h"
#include "common/files.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <string>

namespace {

class DeletionPasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = TempDir() + "VelPasses";
        RemoveTree(dir_);
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), NULL));
    }
    void TearDown() override { RemoveTree(dir_); }

    std::string In(const std::string &name) { return dir_ + "\\" + name; }
    void Write(const std::string &name, const std::string &text) { WriteBytes(In(name), text); }
    bool Exists(const std::string &name) { return ::Exists(In(name)); }
    int Passes(const std::string &list)
    {
        Write("list.lst", list);
        FILE *file = fopen(In("list.lst").c_str(), "rb");
        EXPECT_NE(nullptr, file);
        if (!file)
            return -1;
        int passes = RunDeletionPasses(file, (dir_ + "\\").c_str());
        fclose(file);
        return passes;
    }

    std::string dir_;
};

}  // namespace

TEST_F(DeletionPasses, DirectoryBeforeItsTwoFilesTakesThreePasses)
{
    CreateDirectoryA(In("Docs").c_str(), NULL);
    Write("Docs\\a.txt", "a");
    Write("Docs\\b.txt", "b");
    EXPECT_EQ(3, Passes("Docs\r\nDocs\\a.txt\r\nDocs\\b.txt\r\n"));
    EXPECT_FALSE(Exists("Docs"));
}

TEST_F(DeletionPasses, EntriesDeletableInOrderTakeTwoPasses)
{
    CreateDirectoryA(In("Docs").c_str(), NULL);
    Write("Docs\\a.txt", "a");
    Write("b.txt", "b");
    EXPECT_EQ(2, Passes("Docs\\a.txt\nDocs\nb.txt"));
    EXPECT_FALSE(Exists("Docs"));
    EXPECT_FALSE(Exists("b.txt"));
}

TEST_F(DeletionPasses, NothingDeletableTakesOnePass)
{
    struct Row { const char *name; std::string list; } rows[] = {
        {"missing entries", "gone.txt\r\nDocs\\gone.txt\r\n"},
        {"empty list", ""},
        {"blank lines only", "\r\n \t\r\n\n"},
        {"entries outside", "..\\VelPasses\\a.txt\n..\\x"},
    };
    Write("a.txt", "a");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(1, Passes(row.list));
    }
    EXPECT_TRUE(Exists("a.txt")) << "..\\VelPasses\\a.txt climbs out, whatever it lands on";
}

TEST_F(DeletionPasses, ReadOnlyFileAndTrailingBlanksAreDeleted)
{
    Write("a.txt", "a");
    Write("b.txt", "b");
    SetFileAttributesA(In("a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(In("b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(2, Passes("a.txt \t \r\nb.txt\x7f\r\n"));
    EXPECT_FALSE(Exists("a.txt"));
    EXPECT_FALSE(Exists("b.txt"));
}
