// The quoting rule for paths put into command lines, natively under the sanitizers.
#include "quote.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>

namespace {

const char kCanary = (char)0xBD;

// Runs op on text in a buffer of exactly size bytes followed by canaries.
struct Buffer {
    char bytes[300 + 16];
    size_t size;
    Buffer(const std::string &text, size_t size_) : size(size_)
    {
        memset(bytes, kCanary, sizeof bytes);
        memcpy(bytes, text.c_str(), text.size() + 1);
    }
    bool CanaryIntact() const
    {
        for (size_t i = size; i < size + 16; i++)
            if (bytes[i] != kCanary)
                return false;
        return true;
    }
};

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
        Buffer buffer(row.in, 260);
        EXPECT_EQ(buffer.bytes, QuoteIfNeeded(buffer.bytes, buffer.size));
        EXPECT_STREQ(row.out, buffer.bytes);
        EXPECT_TRUE(buffer.CanaryIntact());
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
        Buffer buffer(row.in, 64);
        EXPECT_EQ(buffer.bytes, AddQuotes(buffer.bytes, buffer.size));
        EXPECT_STREQ(row.out, buffer.bytes);
        EXPECT_TRUE(buffer.CanaryIntact());
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
        Buffer buffer(path, row.size);
        char *result = QuoteIfNeeded(buffer.bytes, buffer.size);
        if (row.fits) {
            EXPECT_EQ(buffer.bytes, result);
            EXPECT_EQ("\"" + path + "\"", std::string(buffer.bytes));
        } else {
            EXPECT_EQ(nullptr, result);
            EXPECT_EQ(path, std::string(buffer.bytes));
        }
        EXPECT_TRUE(buffer.CanaryIntact());
    }
    // One missing quote needs one byte more than the text.
    const std::string open = "\"" + path;
    for (size_t size : {open.size() + 1, open.size() + 2}) {
        SCOPED_TRACE(size);
        Buffer buffer(open, size);
        char *result = AddQuotes(buffer.bytes, buffer.size);
        EXPECT_EQ(size == open.size() + 2 ? buffer.bytes : nullptr, result);
        EXPECT_EQ(size == open.size() + 2 ? open + "\"" : open, std::string(buffer.bytes));
        EXPECT_TRUE(buffer.CanaryIntact());
    }
}
