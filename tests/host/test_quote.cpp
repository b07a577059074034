// The quoting rule for paths put into command lines, natively under the sanitizers.
#include "install/quote_text.h"
#include "common/canary.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>

namespace {

struct Row {
    const char *in;
    const char *out;
};

}  // namespace

TEST(QuoteIfNeeded, QuotesOnlyForLeadingDashOrCaretAndBlankAmpersandPlusComma)
{
    const Row rows[] = {
        {"-x", "\"-x\""},
        {"^start", "\"^start\""},
        {"C:\\Program Files\\Vel\\Vel.exe", "\"C:\\Program Files\\Vel\\Vel.exe\""},
        {"C:\\A&B\\Vel.exe", "\"C:\\A&B\\Vel.exe\""},
        {"C:\\C++\\Vel.exe", "\"C:\\C++\\Vel.exe\""},
        {"C:\\a,b\\Vel.exe", "\"C:\\a,b\\Vel.exe\""},
        {"C:\\VEL\\Vel.exe", "C:\\VEL\\Vel.exe"},
        {"C:\\my-dir\\x^y\\Vel.exe", "C:\\my-dir\\x^y\\Vel.exe"},   // not first: no quotes
        {"C:\\a\tb(c);d=e\"f", "C:\\a\tb(c);d=e\"f"},              // none of these triggers
        {"", ""},
        {"\"C:\\Program Files\\Vel.exe\"", "\"C:\\Program Files\\Vel.exe\""},
        {"\"C:\\Program Files\\Vel.exe", "\"C:\\Program Files\\Vel.exe\""},
        {"C:\\Program Files\\Vel.exe\"", "\"C:\\Program Files\\Vel.exe\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.in);
        Guarded buffer(260, row.in);
        EXPECT_EQ(buffer.text(), QuoteIfNeeded(buffer.text(), buffer.size));
        EXPECT_STREQ(row.out, buffer.text());
        EXPECT_TRUE(buffer.intact());
    }
}

TEST(AddQuotes, AddsOnlyTheMissingQuotes)
{
    const Row rows[] = {
        {"abc", "\"abc\""},
        {"\"abc", "\"abc\""},
        {"abc\"", "\"abc\""},
        {"\"abc\"", "\"abc\""},
        {"a\"b", "\"a\"b\""},   // inner quotes are not escaped
        {"", "\""},            // the opening quote is also the last character
        {"\"", "\""},           // one quote both starts and ends the text
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.in);
        Guarded buffer(64, row.in);
        EXPECT_EQ(buffer.text(), AddQuotes(buffer.text(), buffer.size));
        EXPECT_STREQ(row.out, buffer.text());
        EXPECT_TRUE(buffer.intact());
    }
}

TEST(AddQuotes, RefusesWhenTheQuotesDoNotFitAndLeavesTextAlone)
{
    // n characters need n + 3 bytes for both quotes: size-1, size and size+1.
    const std::string path = "C:\\Program Files\\" + std::string(240, 'v');
    const size_t need = path.size() + 3;
    struct SizeRow {
        size_t size;
        bool fits;
    } rows[] = {{need - 1, false}, {need, true}, {need + 1, true}};
    for (const SizeRow &row : rows) {
        SCOPED_TRACE(row.size);
        Guarded buffer(row.size, path);
        char *result = QuoteIfNeeded(buffer.text(), buffer.size);
        if (row.fits) {
            EXPECT_EQ(buffer.text(), result);
            EXPECT_EQ("\"" + path + "\"", std::string(buffer.text()));
        } else {
            EXPECT_EQ(nullptr, result);
            EXPECT_EQ(path, std::string(buffer.text()));
        }
        EXPECT_TRUE(buffer.intact());
    }
    // One missing quote needs one byte more than the text.
    const std::string open = "\"" + path;
    for (size_t size : {open.size() + 1, open.size() + 2}) {
        SCOPED_TRACE(size);
        Guarded buffer(size, open);
        char *result = AddQuotes(buffer.text(), buffer.size);
        EXPECT_EQ(size == open.size() + 2 ? buffer.text() : nullptr, result);
        EXPECT_EQ(size == open.size() + 2 ? open + "\"" : open, std::string(buffer.text()));
        EXPECT_TRUE(buffer.intact());
    }
}
