// Text routines of the uninstallation, natively under the sanitizers.
#include "uninstall/listentry_text.h"
#include "uninstall/groupname_text.h"
#include "uninstall/batch_text.h"
#include "uninstall/options_text.h"
#include "uninstall/rerun_text.h"
#include "uninstall/restart_text.h"
#include "common/canary.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

// A list held in memory, given out at most chunk bytes a fill; a read
// error once failAt bytes have been given.
struct MemoryList {
    std::string text;
    size_t at, chunk, failAt;
};

int FillFromMemory(void *source, char *buffer, size_t size)
{
    MemoryList *list = (MemoryList *)source;
    if (list->at >= list->failAt)
        return -1;
    size_t n = std::min({size, list->chunk, list->text.size() - list->at, list->failAt - list->at});
    memcpy(buffer, list->text.data() + list->at, n);
    list->at += n;
    return (int)n;
}

// Every line of text as ReadListLine gives it, "<skipped>" for a refused
// one; the same whatever the size of the pieces the list comes in.
std::vector<std::string> Lines(const std::string &text, size_t size, size_t failAt = SIZE_MAX)
{
    std::vector<std::string> first;
    for (size_t chunk : {(size_t)1, (size_t)3, (size_t)LIST_BUFFER_SIZE}) {
        MemoryList memory = {text, 0, chunk, failAt};
        ListReader list;
        StartListReader(&list, FillFromMemory, &memory);
        std::vector<std::string> lines;
        Guarded line(size);
        int result;
        while ((result = ReadListLine(&list, line.text(), size)) != LIST_END) {
            lines.push_back(result == LIST_LINE_READ ? std::string(line.text()) : "<skipped>");
            EXPECT_TRUE(line.intact()) << "written past the line buffer";
        }
        EXPECT_EQ(LIST_END, ReadListLine(&list, line.text(), size)) << "the end stays the end";
        if (chunk == 1)
            first = lines;
        else
            EXPECT_EQ(first, lines) << "pieces of " << chunk;
    }
    return first;
}

}  // namespace

TEST(TrimLineEnd, RemovesBlanksAndControlCharactersFromTheEndOnly)
{
    struct Row { const char *in, *out; } rows[] = {
        {"Vel.exe\r", "Vel.exe"}, {"Vel.exe \t \r", "Vel.exe"}, {" lead", " lead"},
        {"   ", ""}, {"", ""}, {"a\x7f\x01\x1f", "a"}, {"caf\xe9 ", "caf\xe9"},
        {"x\xa0", "x\xa0"}, {"in ner\v\f", "in ner"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.in);
        char text[32];
        strcpy(text, row.in);
        TrimLineEnd(text);
        EXPECT_STREQ(row.out, text);
    }
}

TEST(ReadListLine, SplitsCrLfAndLfLinesAndSkipsWholeLinesThatDoNotFit)
{
    EXPECT_EQ((std::vector<std::string>{"a\r", "b", "", "c"}), Lines("a\r\nb\n\nc", 16));
    // Size 8 holds 7 characters: a line of 7 fits, 8 is refused whole, and
    // its tail does not come back as a line of its own.
    EXPECT_EQ((std::vector<std::string>{"1234567", "<skipped>", "next"}),
              Lines("1234567\n12345678tail.txt\nnext\n", 8));
    EXPECT_EQ((std::vector<std::string>{"123456", "<skipped>"}), Lines("123456\n12345678", 8));
    EXPECT_EQ((std::vector<std::string>{"<skipped>", "b"}), Lines(std::string("a\0b.txt\nb", 9), 16));
    EXPECT_TRUE(Lines("", 16).empty());
    // Lines across the reader's buffer.
    std::string many;
    std::vector<std::string> expected;
    for (int i = 0; i < 100; i++) {
        expected.push_back(std::string(98, 'a' + i % 26) + "\r");
        many += expected.back() + "\n";
    }
    EXPECT_EQ(expected, Lines(many, LIST_LINE_SIZE));
}

TEST(ReadListLine, AMarkMakesTheListUtf8OrUtf16AndItsLinesComeAsUtf8)
{
    // "é" and "€" in each encoding; a line of 519 letters (1038 bytes of
    // UTF-8) is read, one of 520 skipped; a UTF-8 line that is not UTF-8, and
    // a lone surrogate, are skipped whole; an odd last byte of UTF-16 ends it.
    auto utf16 = [](const std::u16string &text) { return std::string((const char *)text.data(), text.size() * 2); };
    const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC";
    std::string long519, long520;
    for (int i = 0; i < 519; i++)
        long519 += e;
    long520 = long519 + e;
    struct Row { const char *name; std::string bytes; std::vector<std::string> lines; } rows[] = {
        {"ANSI: the mark's bytes are letters", "\xEF\xBB" "a\n", {"\xEF\xBB" "a"}},
        {"UTF-8", "\xEF\xBB\xBF" + e + "\r\n" + euro + "\n" + long519 + "\n" + long520 + "\nb",
         {e + "\r", euro, long519, "<skipped>", "b"}},
        {"UTF-8 that is not", "\xEF\xBB\xBF" "a\xC3\nb\xC0\xAF\nc", {"<skipped>", "<skipped>", "c"}},
        {"UTF-16", "\xFF\xFE" + utf16(u"\u00e9\r\n\u20ac\n") + std::string("\x00\xD8x\x00\n\x00y\x00z", 9),
         {e + "\r", euro, "<skipped>", "y"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.lines, Lines(row.bytes, LIST_LINE_BYTES));
    }
}

TEST(ReadListLine, ReadErrorEndsTheListAndDropsTheCutLine)
{
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Lines("a\nb\ncut\nnext\n", 16, 6));
    EXPECT_EQ((std::vector<std::string>{"a"}), Lines("a\nb", 16, 2));
    EXPECT_TRUE(Lines("a\n", 16, 0).empty());
}

TEST(ListEntryFormRefusal, RefusesEverythingThatCanLeaveTheDirectoryAndSaysWhy)
{
    for (const char *entry : {"Vel.exe", "Docs\\readme.txt", "Docs\\", ".\\a", "a.b.c", "..a", "a..",
                              "con1", "com10", "nullx", "Docs/file", " lead", "LPT"})
        EXPECT_EQ(ENTRY_TAKEN, ListEntryFormRefusal(entry)) << entry;
    for (const char *entry : {"..", "..\\x", "a\\..\\..\\x", "a/../x", "...", "a\\.. \\b", ". .",
                              "C:\\x", "C:x", "a:stream", "\\x", "/x", "\\\\server\\share\\x",
                              "\\\\?\\C:\\x", "nul:", "..\\nul"})
        EXPECT_EQ(REFUSED_OUTSIDE, ListEntryFormRefusal(entry)) << entry;
    for (const char *entry : {"nul", "NUL.txt", "Docs\\con", "CON .txt", "aux", "com1", "LPT9.log", "COM\xb9",
                              "conin$", "CONOUT$", "prn\\..\\x"})
        EXPECT_EQ(REFUSED_DEVICE, ListEntryFormRefusal(entry)) << entry;
}

TEST(PathIsStrictlyInside, NeedsTheDirectoryAndABackslash)
{
    EXPECT_TRUE(PathIsStrictlyInside("C:\\Vel\\a", "C:\\Vel\\"));
    EXPECT_TRUE(PathIsStrictlyInside("c:\\vEL\\a", "C:\\Vel\\"));
    EXPECT_FALSE(PathIsStrictlyInside("C:\\Vel\\", "C:\\Vel\\"));
    EXPECT_FALSE(PathIsStrictlyInside("C:\\Vel", "C:\\Vel\\"));
    EXPECT_FALSE(PathIsStrictlyInside("C:\\Velvet\\a", "C:\\Vel\\"));
    EXPECT_FALSE(PathIsStrictlyInside("C:\\Velvet\\a", "C:\\Vel"));
    EXPECT_FALSE(PathIsStrictlyInside("C:\\a", ""));
}

TEST(GroupName, FolderAndDdeSafety)
{
    // An empty component (a trailing or doubled separator) collapses: still below Programs.
    for (const char *name : {"Vel", "Vel Commander", "Tools\\Vel", "Vel.1", "Vel (old)", "a..b", "Vel\\",
                             "Main Tools\\", "Main\\\\Tools", "Main//Tools\\/", "Vel\\\\\\"})
        EXPECT_TRUE(GroupNameIsFolderSafe(name)) << name;
    for (const char *name : {"", ".", "..", "...", "Vel\\..", "..\\x", ". ", "C:\\x", "C:x", "\\x", "/x",
                             "\\\\server\\x", "\\", "V*", "Vel?", " ", "Vel\\ ", "Vel\\\\ \\x",
                             "Vel\\\\..\\", "..\\\\", "\"Main Tools\"", "Main\"", "a<b", "a>b", "a|b", "a\tb"})
        EXPECT_FALSE(GroupNameIsFolderSafe(name)) << name;
    EXPECT_TRUE(GroupNameIsDdeSafe("Vel Commander 1.0"));
    for (const char *name : {"a]", "[a", "a(", "a)", "a,b", "\"a\""})
        EXPECT_FALSE(GroupNameIsDdeSafe(name)) << name;
}

TEST(GroupName, EmptyComponentsCollapse)
{
    struct Row { const char *in, *out; } rows[] = {
        {"Main Tools\\", "Main Tools"}, {"Main\\\\Tools", "Main\\Tools"}, {"Main\\/\\Tools//", "Main\\Tools"},
        {"Main/Tools", "Main/Tools"}, {"Vel", "Vel"}, {"Tools\\Vel", "Tools\\Vel"},
        {"\\\\x", "\\x"}, {"\\", "\\"}, {"", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.in);
        char name[32];
        strcpy(name, row.in);
        CollapseEmptyComponents(name);
        EXPECT_STREQ(row.out, name);
        // What the test lets through keeps being let through once collapsed.
        EXPECT_EQ(GroupNameIsFolderSafe(row.in), GroupNameIsFolderSafe(name));
    }
}

TEST(ComposeDeleteGroupCommand, FitsExactlyOrRefuses)
{
    // "[DeleteGroup(Main)]" is 19 characters: sizes 19, 20 and 21.
    for (size_t size : {19u, 20u, 21u}) {
        SCOPED_TRACE(size);
        Guarded out(size);
        int fit = ComposeDeleteGroupCommand(out.text(), size, "Main");
        EXPECT_EQ(size >= 20, fit != 0);
        EXPECT_STREQ(size >= 20 ? "[DeleteGroup(Main)]" : "", out.text());
        EXPECT_TRUE(out.intact());
    }
}

TEST(DoublePercent, DoublesEveryPercentAndRefusesWhatDoesNotFit)
{
    // "a%b%" doubles to "a%%b%%": 6 characters, so it needs 7 bytes.
    for (size_t size : {6u, 7u, 8u}) {
        SCOPED_TRACE(size);
        Guarded out(size);
        int fit = DoublePercent(out.text(), size, "a%b%");
        EXPECT_EQ(size >= 7, fit != 0);
        EXPECT_STREQ(size >= 7 ? "a%%b%%" : "", out.text());
        EXPECT_TRUE(out.intact());
    }
    char out[4];
    EXPECT_TRUE(DoublePercent(out, sizeof out, ""));
    EXPECT_STREQ("", out);
}

TEST(ComposeBatchText, NineteenLinesForBothPlatformsEighteenWithoutTheFinalMessage)
{
    const char *module = "C:\\Vel 100%\\VelUninstall.exe", *dir = "C:\\Vel 100%", *batch = "C:\\T\\Uninstall.Vel.Bat";
    std::string m = "C:\\Vel 100%%\\VelUninstall.exe", d = "C:\\Vel 100%%";
    std::string block = "del \"" + m + "\"\r\nrd \"" + d + "\"\r\nif not exist \"" + m + "\" goto done\r\n";
    std::string rest;
    for (int i = 0; i < 5; i++)
        rest += block;
    rest += ":done\r\n";
    std::string warning = "if exist \"" + m + "\" \"" + m + "\" Warning\r\n", last = "del \"C:\\T\\Uninstall.Vel.Bat\"";
    struct Row { BatchForm form; std::string first; int finalMessage; } rows[] = {
        {BATCH_FORM_NT, "\"" + m + "\" wait\r\n", 1}, {BATCH_FORM_9X, "start /wait \"" + m + " wait\"\r\n", 1},
        {BATCH_FORM_NT, "\"" + m + "\" wait\r\n", 0}, {BATCH_FORM_9X, "start /wait \"" + m + " wait\"\r\n", 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(std::to_string(row.form) + (row.finalMessage ? "" : " silent"));
        std::string expected = row.first + rest + (row.finalMessage ? warning : "") + last;
        Guarded out(BATCH_TEXT_SIZE);
        ASSERT_TRUE(ComposeBatchText(out.text(), out.size, row.form, module, dir, batch, row.finalMessage));
        EXPECT_EQ(expected, std::string(out.text()));
        int lines = 1;
        for (char c : expected)
            lines += c == '\n';
        EXPECT_EQ(18 + row.finalMessage, lines);
        // Exactly the room it needs, one byte less, one more.
        for (size_t size : {expected.size(), expected.size() + 1, expected.size() + 2}) {
            Guarded small(size);
            int fit = ComposeBatchText(small.text(), size, row.form, module, dir, batch, row.finalMessage);
            EXPECT_EQ(size > expected.size(), fit != 0) << size;
            EXPECT_EQ(fit ? expected : "", std::string(small.text()));
            EXPECT_TRUE(small.intact()) << size;
        }
    }
}

TEST(ComposeBatchText, DriveRootIsNeverRemoved)
{
    // Program C:\VelUninstall.exe: the program directory is the drive root.
    std::string m = "C:\\VelUninstall.exe", expected = "\"" + m + "\" wait\r\n";
    for (int i = 0; i < 5; i++)
        expected += "del \"" + m + "\"\r\nif not exist \"" + m + "\" goto done\r\n";
    expected += ":done\r\nif exist \"" + m + "\" \"" + m + "\" Warning\r\ndel \"C:\\T\\Uninstall.Vel.Bat\"";
    Guarded out(BATCH_TEXT_SIZE);
    ASSERT_TRUE(ComposeBatchText(out.text(), out.size, BATCH_FORM_NT, m.c_str(), "C:\\", "C:\\T\\Uninstall.Vel.Bat"));
    EXPECT_EQ(expected, std::string(out.text()));
}

TEST(BatchFormForInterpreter, CommandComAloneGetsTheWindows9xForm)
{
    for (const char *path : {"C:\\WINDOWS\\COMMAND.COM", "command.com", "C:\\Command.Com", "C:COMMAND.COM",
                             "\\\\server\\dos\\COMMAND.COM", "C:/DOS/command.com"})
        EXPECT_EQ(BATCH_FORM_9X, BatchFormForInterpreter(path)) << path;
    // Windows 95 compatibility mode on NT: platform 1, and cmd.exe reads the file.
    for (const char *path : {"C:\\windows\\system32\\cmd.exe", "cmd.exe", "", "C:\\COMMAND.COM\\cmd.exe",
                             "C:\\DOS\\COMMAND.COM.exe", "C:\\DOS\\XCOMMAND.COM", "C:\\COMMAND.COM "})
        EXPECT_EQ(BATCH_FORM_NT, BatchFormForInterpreter(path)) << path;
}

TEST(ComposeBatchText, RefusesWildcardsAndOverlongPaths)
{
    Guarded out(BATCH_TEXT_SIZE);
    EXPECT_FALSE(ComposeBatchText(out.text(), out.size, BATCH_FORM_NT, "C:\\V?l\\x.exe", "C:\\V?l", "C:\\t.bat"));
    EXPECT_STREQ("", out.text());
    EXPECT_FALSE(ComposeBatchText(out.text(), out.size, BATCH_FORM_NT, "C:\\V*\\x.exe", "C:\\V", "C:\\t.bat"));
    std::string longest(259, '%'), tooLong(260, 'a');
    EXPECT_TRUE(
        ComposeBatchText(out.text(), out.size, BATCH_FORM_9X, longest.c_str(), longest.c_str(), longest.c_str()))
        << "the buffer holds three paths of 259 doubled characters";
    EXPECT_FALSE(ComposeBatchText(out.text(), out.size, BATCH_FORM_NT, tooLong.c_str(), "C:\\V", "C:\\t.bat"));
}

TEST(ReadUninstallOptions, SilentAndReportWordsQuotedAnyWayOthersPassedOver)
{
    const std::string longest(PATH_SIZE - 1, 'p');
    struct Row {
        std::string commandLine;
        int silent, report;
        std::string path, unknown = "";
    } rows[] = {
        {"", 0, 0, ""},
        {"/S", 1, 0, ""},
        {" \t/s\t ", 1, 0, ""},
        {"\"/S\"", 1, 0, ""},
        {"/SILENT /S/LOG=x -S", 0, 0, "", "/SILENT"},
        {"_?=C:\\Vel /S", 1, 0, "", "_?=C:\\Vel"},
        {"\"\" /S \"\"", 1, 0, ""},
        {"/nOcLoSe /S", 1, 0, ""},
        {"/S " + std::string(100, 'w'), 1, 0, "", std::string(SHOWN_WORD_SIZE - 1, 'w')},
        {"/LOG=C:\\u.log", 0, 1, "C:\\u.log"},
        {"/log=u.log /S", 1, 1, "u.log"},
        {"\"/LOG=C:\\a b\\u.log\"", 0, 1, "C:\\a b\\u.log"},
        {"/LOG=\"C:\\a b\\u.log\" /S", 1, 1, "C:\\a b\\u.log"},
        {"/LOG=C:\\a b", 0, 1, "C:\\a", "b"},   // an unquoted blank ends the name
        {"/LOG=\"C:\\a b /S", 0, 1, "C:\\a b /S"},   // never closed: the rest is one word
        {"/LOG=a /LOG=b", 0, 1, "b"},
        {"/LOG=", 0, 1, ""},
        {"/LOG=" + longest, 0, 1, longest},
        {"/LOG=" + longest + "q", 0, 1, ""},   // cut, it would name another file
        {"/LOG=\"" + longest + "\"", 0, 1, longest},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.commandLine);
        UninstallOptions options;
        memset(&options, kCanary, sizeof options);
        ReadUninstallOptions(row.commandLine.c_str(), &options);
        EXPECT_EQ(row.silent, options.silent);
        EXPECT_EQ(row.report, options.report);
        EXPECT_EQ(row.path, options.reportPath);
        EXPECT_EQ(row.unknown, options.unknownWord);
        EXPECT_EQ(row.commandLine.find("/nOcLoSe") != std::string::npos, options.noClose);
    }
}

TEST(Rerun, LockNameAndTheEntryThatRunsThisProgram)
{
    // One lock a directory, whatever the case of its ASCII letters; another
    // directory, another lock. The name holds no backslash.
    Guarded name(64);
    ASSERT_EQ(1, ComposeUninstallLockName(name.text(), name.size, "C:\\Program Files\\Vel"));
    std::string lock = name.text();
    EXPECT_EQ(21u, lock.size());
    EXPECT_EQ(0u, lock.find("VelUninstall-"));
    EXPECT_EQ(std::string::npos, lock.find('\\'));
    ComposeUninstallLockName(name.text(), name.size, "c:\\PROGRAM FILES\\vel");
    EXPECT_EQ(lock, name.text());
    ComposeUninstallLockName(name.text(), name.size, "C:\\Program Files\\Vel2");
    EXPECT_NE(lock, name.text());
    Guarded small(21);
    EXPECT_EQ(0, ComposeUninstallLockName(small.text(), small.size, "C:\\Vel"));
    EXPECT_STREQ("", small.text());
    EXPECT_TRUE(small.intact() && name.intact());

    const char *program = "C:\\Program Files\\Vel\\VelUninstall.exe";
    struct Row { const char *command; int names; } rows[] = {
        {"\"C:\\Program Files\\Vel\\VelUninstall.exe\"", 1}, {"\"c:\\program files\\vel\\veluninstall.EXE\"", 1},
        {"C:\\Program Files\\Vel\\VelUninstall.exe", 1}, {"\"C:\\Program Files\\Vel\\VelUninstall.exe\" /S", 1},
        {"\"C:\\Program Files\\Vel\\VelUninstall.exe", 1}, {"\"C:\\Program Files\\Vel2\\VelUninstall.exe\"", 0},
        {"\"C:\\Program Files\\Vel\\VelUninstall.ex\"", 0}, {"C:\\Program Files\\Vel\\VelUninstall.exe /S", 0},
        {"", 0}, {"\"\"", 0},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.names, CommandNamesProgram(row.command, program)) << row.command;
}

TEST(ComposeBatchPath, TheUsualNameFirstThenNumberedOnes)
{
    Guarded out(PATH_SIZE);
    ASSERT_EQ(1, ComposeBatchPath(out.text(), out.size, "C:\\Temp\\", 1));
    EXPECT_STREQ("C:\\Temp\\Uninstall.Vel.Bat", out.text());
    ASSERT_EQ(1, ComposeBatchPath(out.text(), out.size, "C:\\Temp\\", 2));
    EXPECT_STREQ("C:\\Temp\\Uninstall.Vel.2.Bat", out.text());
    // "C:\T\Uninstall.Vel.9.Bat" is 24 characters: sizes 24 and 25.
    for (size_t size : {24, 25}) {
        Guarded cut(size);
        EXPECT_EQ(size == 25, ComposeBatchPath(cut.text(), size, "C:\\T\\", 9));
        EXPECT_STREQ(size == 25 ? "C:\\T\\Uninstall.Vel.9.Bat" : "", cut.text());
        EXPECT_TRUE(cut.intact());
    }
    EXPECT_TRUE(out.intact());
}

TEST(AddRenameLine, KeepsEveryLineAndAddsOneToTheRenameSection)
{
    const std::string nul = "NUL=C:\\VEL\\VEL.EXE";
    struct Row { const char *name; std::string text, expected; } rows[] = {
        {"no file yet", "", "[rename]\r\n" + nul + "\r\n"},
        {"no such section", "[boot]\r\nx=1\r\n", "[boot]\r\nx=1\r\n[rename]\r\n" + nul + "\r\n"},
        {"the last line without its end", "[boot]\r\nx=1", "[boot]\r\nx=1\r\n[rename]\r\n" + nul + "\r\n"},
        {"lines already there stay, two NUL keys among them",
         "[Rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\B.TXT\r\n[other]\r\ny=2\r\n",
         "[Rename]\r\nNUL=C:\\A.TXT\r\nNUL=C:\\B.TXT\r\n" + nul + "\r\n[other]\r\ny=2\r\n"},
        {"the section last, LF lines", "[a]\nq\n [RENAME] \nNUL=C:\\A.TXT", "[a]\nq\n [RENAME] \nNUL=C:\\A.TXT\r\n" + nul + "\r\n"},
        {"no header in a value", "[boot]\r\nx=[rename]\r\n", "[boot]\r\nx=[rename]\r\n[rename]\r\n" + nul + "\r\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Guarded out(1024);
        ASSERT_EQ(1, AddRenameLine(out.text(), out.size, row.text.data(), row.text.size(), nul.c_str()));
        EXPECT_EQ(row.expected, out.text());
        EXPECT_TRUE(out.intact());
        // One byte short for the whole text with its terminator: refused, nothing cut.
        size_t exact = row.expected.size() + 1;
        for (size_t size : {exact - 1, exact}) {
            Guarded edge(size);
            EXPECT_EQ(size == exact, AddRenameLine(edge.text(), size, row.text.data(), row.text.size(), nul.c_str()));
            EXPECT_EQ(size == exact ? row.expected : "", edge.text());
            EXPECT_TRUE(edge.intact());
        }
    }
    Guarded name(PATH_SIZE);
    ASSERT_EQ(1, ComposeRestartName(name.text(), name.size, "C:\\Vel\\Vel.exe", 2));
    EXPECT_STREQ("C:\\Vel\\Vel.exe.~vel2", name.text());
}
