// Bounded text helpers, mode choice and settings path composition, natively
// under the sanitizers: every write stays inside its buffer and cuts are reported.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#include "main/mode_text.h"
#include "registry/settings_text.h"
#include "base/bounded_text.h"
#include "base/codepage_text.h"
#include "base/utf8_text.h"
#include "common/canary.h"

TEST(Text, CopyAppendAndFormatReportCutsAndStayInside)
{
    for (size_t size = 1; size <= 8; size++) {
        Guarded g(size);
        int fit = CopyText(g.text(), size, "abcdef");   // 7 bytes with terminator
        EXPECT_EQ(size >= 7, fit) << size;
        EXPECT_EQ(std::string("abcdef").substr(0, size - 1), g.text());
        EXPECT_TRUE(g.intact()) << size;

        Guarded a(size);
        CopyText(a.text(), size, "ab");
        fit = AppendText(a.text(), size, "cdef");
        EXPECT_EQ(size >= 7, fit) << size;
        EXPECT_EQ(std::string("abcdef").substr(0, size - 1), a.text());
        EXPECT_TRUE(a.intact()) << size;

        Guarded f(size);
        fit = FormatText(f.text(), size, "%s-%d", "ab", 123);   // "ab-123": 7 bytes
        EXPECT_EQ(size >= 7, fit) << size;
        EXPECT_EQ(std::string("ab-123").substr(0, size - 1), f.text());
        EXPECT_TRUE(f.intact()) << size;
    }
    Guarded zero(0);
    EXPECT_EQ(0, CopyText(zero.text(), 0, "x"));
    EXPECT_EQ(0, FormatText(zero.text(), 0, "x"));
    EXPECT_TRUE(zero.intact());

    // A destination with no terminator inside its size is not appended to.
    Guarded u(4);
    memcpy(u.text(), "abcd", 4);
    EXPECT_EQ(0, AppendText(u.text(), 4, "x"));
    EXPECT_STREQ("abc", u.text());
    EXPECT_TRUE(u.intact());
}

namespace {

// FormatTextV without the compiler's format check, for the rows that hand
// the formatter what the check would refuse.
int FormatUnchecked(char *dst, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int fit = FormatTextV(dst, size, format, args);
    va_end(args);
    return fit;
}

}  // namespace

TEST(Text, FormatterGivesTheWholeTextOrItsStartAtEveryBoundary)
{
    // "abc" in a buffer of exactly its size: a precision beyond it must stop
    // at its terminator (the sanitizer sees a read past the buffer).
    char *abc = (char *)malloc(4);
    memcpy(abc, "abc", 4);
    struct Row {
        const char *name;
        int (*format)(char *dst, size_t size, const char *abc);
        const char *whole;
    } rows[] = {
        {"text and numbers",
         [](char *d, size_t n, const char *t) { return FormatText(d, n, "%s-%d-%u", t, -5, 5u); }, "abc--5-5"},
        {"INT_MIN", [](char *d, size_t n, const char *) { return FormatText(d, n, "%d", INT_MIN); },
         "-2147483648"},
        {"INT_MAX", [](char *d, size_t n, const char *) { return FormatText(d, n, "%d", INT_MAX); },
         "2147483647"},
        {"zero", [](char *d, size_t n, const char *) { return FormatText(d, n, "<%d|%u>", 0, 0u); }, "<0|0>"},
        {"negative", [](char *d, size_t n, const char *) { return FormatText(d, n, "%d", -7); }, "-7"},
        {"UINT_MAX", [](char *d, size_t n, const char *) { return FormatText(d, n, "%u", UINT_MAX); },
         "4294967295"},
        {"precision 0", [](char *d, size_t n, const char *t) { return FormatText(d, n, "[%.*s]", 0, t); },
         "[]"},
        {"precision 2", [](char *d, size_t n, const char *t) { return FormatText(d, n, "[%.*s]", 2, t); },
         "[ab]"},
        {"precision beyond the text",
         [](char *d, size_t n, const char *t) { return FormatText(d, n, "[%.*s]", 1000, t); }, "[abc]"},
        {"negative precision: the whole text",
         [](char *d, size_t n, const char *t) { return FormatText(d, n, "[%.*s]", -1, t); }, "[abc]"},
        {"percent", [](char *d, size_t n, const char *) { return FormatText(d, n, "100%%%%"); }, "100%%"},
        {"empty", [](char *d, size_t n, const char *) { return FormatText(d, n, "%s", ""); }, ""},
        {"NULL text", [](char *d, size_t n, const char *) { return FormatText(d, n, "%s", (const char *)NULL); },
         "(null)"},
        // Not conversions: written as they are, and no argument is taken, so
        // the %s after them still gets the first one.
        {"bare trailing percent", [](char *d, size_t n, const char *t) { return FormatUnchecked(d, n, "%s%", t); },
         "abc%"},
        {"unknown conversion",
         [](char *d, size_t n, const char *t) { return FormatUnchecked(d, n, "%x%c%s", t); }, "%x%cabc"},
        {"width and flags",
         [](char *d, size_t n, const char *t) { return FormatUnchecked(d, n, "%5d%-s%ld%.3s|%s", t); },
         "%5d%-s%ld%.3s|abc"},
        {"precision without its s",
         [](char *d, size_t n, const char *t) { return FormatUnchecked(d, n, "%.*d%.%s", t); }, "%.*d%.abc"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        size_t need = strlen(row.whole) + 1;
        // Every size from 0 to two past the exact fit: 0 and 1 are
        // edges of their own, need - 1 cuts one character.
        for (size_t size = 0; size <= need + 1; size++) {
            SCOPED_TRACE(size);
            Guarded g(size);
            EXPECT_EQ(size >= need ? 1 : 0, row.format(g.text(), size, abc));
            if (size > 0)
                EXPECT_EQ(std::string(row.whole).substr(0, size - 1), g.text());
            EXPECT_TRUE(g.intact());
        }
    }
    free(abc);
}

TEST(Text, CaseFoldingIsAsciiOnly)
{
    EXPECT_TRUE(EqualsNoCase("WaRnInG", "warning"));
    EXPECT_FALSE(EqualsNoCase("warning ", "warning"));
    EXPECT_FALSE(EqualsNoCase("warn", "warning"));
    EXPECT_FALSE(EqualsNoCase("\xC9", "\xE9"));   // no folding beyond ASCII
    EXPECT_TRUE(StartsWithNoCase("REGISTERx", "register"));
    EXPECT_FALSE(StartsWithNoCase("regist", "register"));
}

TEST(Mode, EveryRowOfTheModeTable)
{
    struct Row { const char *line; RunMode mode; };
    const Row rows[] = {
        {"register", MODE_REGISTER}, {"REGISTER Main", MODE_REGISTER}, {"Register", MODE_REGISTER},
        {"registerTools", MODE_REGISTER}, {"register\tTools", MODE_REGISTER},
        {"registe", MODE_UNKNOWN_WORD}, {" register", MODE_UNKNOWN_WORD},
        {"Warning", MODE_WARNING}, {"WARNING", MODE_WARNING}, {"Warning ", MODE_UNKNOWN_WORD},
        {"warn", MODE_UNKNOWN_WORD}, {"wait", MODE_WAIT}, {"WAIT", MODE_WAIT},
        {"waiting", MODE_UNKNOWN_WORD}, {"wait ", MODE_UNKNOWN_WORD},
        {"arc", MODE_ARC}, {"ARC", MODE_ARC}, {"arcs", MODE_UNKNOWN_WORD}, {"arc ", MODE_UNKNOWN_WORD},
        {"arc /S", MODE_UNKNOWN_WORD}, {"--help /S", MODE_UNKNOWN_WORD}, {"/S /uninstall", MODE_UNKNOWN_WORD},
        {"", MODE_UNINSTALL}, {" \t", MODE_UNINSTALL}, {"/s \"/LOG=C:\\a b\"", MODE_UNINSTALL},
        {"\"\" /S", MODE_UNINSTALL}, {"/S /NOCLOSE", MODE_UNINSTALL}, {"/NOCLOSE=1", MODE_UNKNOWN_WORD},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.mode, ChooseMode(row.line)) << "\"" << row.line << "\"";
}

TEST(SettingsPath, CompositionAndRefusal)
{
    Guarded g(80);
    EXPECT_EQ(1, ComposeSettingsPathText(g.text(), 80, "", "Colors\\Highlight", 0));
    EXPECT_STREQ("Software\\Vel\\Colors\\Highlight", g.text());
    EXPECT_EQ(1, ComposeSettingsPathText(g.text(), 80, ".DEFAULT", "", 0));
    EXPECT_STREQ(".DEFAULT\\Software\\Vel", g.text());
    EXPECT_EQ(1, ComposeSettingsPathText(g.text(), 80, ".DEFAULT", ".tgz", 1));
    EXPECT_STREQ(".tgz", g.text());
    std::string key66(66, 'k');
    EXPECT_EQ(1, ComposeSettingsPathText(g.text(), 80, "", key66.c_str(), 0));
    EXPECT_EQ(79u, strlen(g.text()));
    EXPECT_EQ(0, ComposeSettingsPathText(g.text(), 80, "", (key66 + "k").c_str(), 0));
    EXPECT_STREQ("", g.text());
    EXPECT_TRUE(g.intact());

    Guarded c(512);
    std::string parent(400, 'p'), name(111, 'n');   // 400 + 1 + 111 = 512: one too many
    EXPECT_EQ(0, ComposeChildPath(c.text(), 512, parent.c_str(), name.c_str()));
    EXPECT_STREQ("", c.text());
    EXPECT_EQ(1, ComposeChildPath(c.text(), 512, parent.c_str(), name.substr(1).c_str()));
    EXPECT_EQ(511u, strlen(c.text()));
    EXPECT_TRUE(c.intact());
}

TEST(SettingsPath, DisjointTrees)
{
    EXPECT_FALSE(RegistryPathsDisjoint("Software\\Vel", "Software\\Vel"));
    EXPECT_FALSE(RegistryPathsDisjoint("Software\\Vel", "SOFTWARE\\vel"));
    EXPECT_FALSE(RegistryPathsDisjoint("Software\\Vel", "Software\\Vel\\Colors"));
    EXPECT_FALSE(RegistryPathsDisjoint("software\\vel\\colors", "Software\\Vel"));
    EXPECT_TRUE(RegistryPathsDisjoint("Software\\Vel\\Highlight", "Software\\Vel\\HighlightOld"));
    EXPECT_TRUE(RegistryPathsDisjoint("Software\\Vel\\Highlight", "Software\\Vel\\Colors\\Highlight"));
}

TEST(SettingsPath, AppendPathSeparator)
{
    struct Row { const char *text; char preferred; const char *result; };
    const Row rows[] = {
        {"a\\b", 0, "a\\b\\"}, {"a/b", 0, "a/b/"}, {"a/b\\c", 0, "a/b\\c\\"},   // a tie: backslash
        {"a/b/c\\", 0, "a/b/c/"}, {"a\\", '/', "a/"}, {"a/", '\\', "a\\"}, {"a", 'x', "a/"},
        {"", 0, "\\"},
    };
    for (const Row &row : rows) {
        Guarded g(16);
        strcpy(g.text(), row.text);
        EXPECT_EQ(1, AppendPathSeparator(g.text(), 16, row.preferred)) << row.text;
        EXPECT_STREQ(row.result, g.text()) << row.text;
    }
    EXPECT_EQ(0, AppendPathSeparator(nullptr, 16, 0));
    Guarded full(4);
    strcpy(full.text(), "abc");
    EXPECT_EQ(0, AppendPathSeparator(full.text(), 4, 0));   // no room for it
    EXPECT_STREQ("abc", full.text());
    strcpy(full.text(), "ab\\");
    EXPECT_EQ(1, AppendPathSeparator(full.text(), 4, '/'));   // replaced in place
    EXPECT_STREQ("ab/", full.text());
    EXPECT_TRUE(full.intact());
}

TEST(Mode, CommandLineAfterTheProgramName)
{
    struct Row { const char *line; const char *rest; };
    const Row rows[] = {
        {"\"C:\\Program Files\\Vel\\VelUninstall.exe\"   wait", "wait"},
        {"C:\\VEL\\VelUninstall.exe register Main Tools ", "register Main Tools "},
        {"C:\\V\xE9l\\VelUninstall.exe wait", "wait"},            // a letter from 128 up
        {"C:\\\xC2\xE5\xEB\\VelUninstall.exe\tregister\tX", "register\tX"},
        {"\"C:\\V\xE9l 1\\VelUninstall.exe\" Warning", "Warning"},
        {"C:\\VEL\\VelUninstall.exe", ""},
        {"C:\\VEL\\VelUninstall.exe \x01\x1F arc", "arc"},
        {"\"C:\\unterminated quote wait", ""},
        {"", ""},
        // A quoted name ends at its closing quote, whatever follows it.
        {"\"C:\\Program Files\\Vel\\VelUninstall.exe\"wait", "wait"},
        {"\"C:\\Vel\"\"x y\" wait", "\"x y\" wait"},
        {"\"\" wait", "wait"},
        // An unquoted name ends at the first blank or tab, never at a quote
        // or another control character.
        {"C:\\VEL\\VelUninstall.exe\twait", "wait"},
        {"C:\\V\"el dir\"\\x.exe wait", "dir\"\\x.exe wait"},
        {"C:\\VEL\x01x.exe wait", "wait"},
    };
    for (const Row &row : rows)
        EXPECT_STREQ(row.rest, CommandLineAfterProgramName(row.line)) << row.line;
}

TEST(CodePage, NarrowingArgumentsAreOnesTheConverterTakes)
{
    // The converter's documented rule, written out: UTF-8 and GB18030 take
    // no flag but WC_ERR_INVALID_CHARS (0x80); UTF-7, the ISO-2022 and HZ
    // pages, ISCII and Symbol take none; UTF-7 and UTF-8 fail when asked
    // whether the default character was used. Any other flag there makes
    // the call fail, which Wine does not show. Elsewhere WC_NO_BEST_FIT_CHARS
    // and the question are what keep a best fit from passing for the letter.
    const unsigned kErrInvalidChars = 0x80;
    struct Row { unsigned page, allowedFlags; bool mayAsk; } rows[] = {
        {65001, kErrInvalidChars, false}, {54936, kErrInvalidChars, false}, {65000, 0, false},
        {42, 0, false}, {50220, 0, false}, {50229, 0, false}, {52936, 0, false}, {57002, 0, false},
        {57011, 0, false}, {1252, NARROW_NO_BEST_FIT, true}, {932, NARROW_NO_BEST_FIT, true},
        {1251, NARROW_NO_BEST_FIT, true}, {437, NARROW_NO_BEST_FIT, true}, {57012, NARROW_NO_BEST_FIT, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.page);
        NarrowingArguments arguments = NarrowingArgumentsFor(row.page);
        EXPECT_EQ(0u, arguments.flags & ~row.allowedFlags);
        if (row.mayAsk) {
            EXPECT_EQ(NARROW_NO_BEST_FIT, arguments.flags);
            EXPECT_TRUE(arguments.tellsLoss);
        } else {
            EXPECT_FALSE(arguments.tellsLoss);
        }
    }
}

TEST(Utf8, ConvertsBothWaysExactlyOrNotAtAll)
{
    // One letter of each length, a pair of surrogates among them; what is no
    // UTF-8 (a cut sequence, an overlong form, a surrogate, past U+10FFFF) is
    // refused, and so is a lone surrogate the other way.
    struct Row { std::string utf8; std::u16string wide; bool valid; } rows[] = {
        {"A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"A\u00e9\u20ac\U0001F600", true},
        {"\xC3", u"", false}, {"\xC0\xAF", u"", false}, {"\xE0\x80\xAF", u"", false},
        {"\xED\xA0\x80", u"", false}, {"\xF4\x90\x80\x80", u"", false}, {"\xFF", u"", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.utf8);
        WideUnit wide[16];
        EXPECT_EQ(row.valid, Utf8ToWide(row.utf8.c_str(), wide, 16));
        EXPECT_EQ(row.valid, IsUtf8(row.utf8.c_str()));
        EXPECT_EQ(row.wide, std::u16string((const char16_t *)wide));
        if (!row.valid)
            continue;
        EXPECT_EQ(row.wide.size(), Utf8WideLength(row.utf8.c_str()));
        // Exactly the room for the units and their terminator, then one less.
        size_t units = row.wide.size() + 1, bytes = row.utf8.size() + 1;
        EXPECT_EQ(0, Utf8ToWide(row.utf8.c_str(), wide, units - 1));
        EXPECT_EQ(1, Utf8ToWide(row.utf8.c_str(), wide, units));
        Guarded back(bytes);
        EXPECT_EQ(1, WideToUtf8(wide, 16, back.text(), bytes));
        EXPECT_EQ(row.utf8, back.text());
        Guarded cut(bytes - 1);
        EXPECT_EQ(0, WideToUtf8(wide, 16, cut.text(), bytes - 1));
        EXPECT_STREQ("", cut.text());
        EXPECT_TRUE(back.intact() && cut.intact());
    }
    const WideUnit lone[] = {'a', 0xD800, 'b', 0};
    Guarded out(16);
    EXPECT_EQ(0, WideToUtf8(lone, 4, out.text(), 16));
    EXPECT_STREQ("", out.text());
}
