#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ReportTextAids.h"

TEST(SplitTextAtMiddleSpace, SplitsAtTheLastBlankOfTheFirstHalf)
{
    const struct {
        const char* text;
        const char* first;
        const char* second;
    } cases[] = {
        {"abc def ghi", "abc", "def ghi"},   // 11 characters, first half 5
        {"abcdef", "", "abcdef"},            // no blank
        {" abc", "", "abc"},                 // blank first
        {"", "", ""},                        // empty
        {"abc def", "abc", "def"},           // blank exactly in the middle
        {"ab cd ef gh ij", "ab cd", "ef gh ij"}, // several blanks: the last of the first half
        {"abcdefgh ij", "", "abcdefgh ij"},  // the only blank lies in the second half
        {"ab  cdefg", "ab ", "cdefg"},       // two blanks: only the split blank is dropped
        {"Não há ok", "Não", "há ok"},
        {"abc de ããã", "abc", "de ããã"},     // characters, not bytes, are counted
        {"ação é de", "ação", "é de"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string first = "stale", second = "stale";
        SplitTextAtMiddleSpace(c.text, first, second);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(second, c.second);
    }
}

TEST(Utf16ToUtf8Alloc, GivesAZeroTerminatedCopyTheCallerFrees)
{
    char* empty = Utf16ToUtf8Alloc(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    EXPECT_EQ(empty[1], 0);
    std::free(empty);

    char* text = Utf16ToUtf8Alloc(u"2024-05-03 14:05:09 Ж √ 😀");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "2024-05-03 14:05:09 Ж √ 😀");
    EXPECT_EQ(text[std::strlen(text) + 1], 0);
    std::free(text);

    EXPECT_EQ(Utf16ToUtf8Alloc(nullptr), nullptr);
}
