#include <gtest/gtest.h>

#include "TextCodec.h"

using namespace tarvel;

TEST(TextCodec, Utf8DecodingReplacesEachMalformedSubpartOnce)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"ascii", "abc", u"abc"},
        {"chinese", "\xE4\xB8\xAD", u"\u4E2D"},
        {"astral", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"lone continuation", "a\x80" "b", u"a\uFFFDb"},
        {"truncated at end", "x\xE4\xB8", u"x\uFFFD"},
        {"truncated before ascii", "\xE4\xB8" "z", u"\uFFFDz"},
        {"lead without tail", "\xC3", u"\uFFFD"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"invalid byte FF", "\xFF" "A", u"\uFFFDA"},
        {"empty", "", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.name;
        EXPECT_EQ(IsValidUtf8(c.utf8), c.utf16.find(u'\uFFFD') == std::u16string::npos) << c.name;
    }
}

TEST(TextCodec, Utf16AndWideRoundTripAndLoneSurrogatesBecomeReplacement)
{
    const std::string text = "T\xC3\xA9st \xE4\xB8\xAD \xF0\x9F\x98\x80";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);

    std::u16string lone = u"a";
    lone.push_back(static_cast<char16_t>(0xD800));
    lone.push_back(u'b');
    EXPECT_EQ(Utf16ToUtf8(lone), "a\xEF\xBF\xBD" "b");
}

TEST(TextCodec, SanitizeKeepsValidTextAndRepairsMalformed)
{
    EXPECT_EQ(SanitizeUtf8("Test Result\xEF\xBC\x9A"), "Test Result\xEF\xBC\x9A");
    EXPECT_EQ(SanitizeUtf8("ab\xFF"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(ReplaceMalformedUtf8("\xE4\xB8" "a\x80", "?"), "?a?");
}

// A message quoting bytes that are not UTF-8 (a value read from a binary
// file) keeps its words, and the bytes a window cannot show are written out.
TEST(TextCodec, UnshowableBytesAreWrittenOutAndTheRestKept)
{
    struct Case {
        const char* name;
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"valid text unchanged", "Wert \xC3\xBC \xE4\xB8\xAD\tzwei\r\nZeilen", "Wert \xC3\xBC \xE4\xB8\xAD\tzwei\r\nZeilen"},
        {"bytes FF FE among words", "Value \xFF\xFE is refused", "Value \\xFF\\xFE is refused"},
        {"cut sequence, then a good letter", "ab\xE4\xB8" "c", "ab\\xE4\\xB8c"},
        {"overlong form byte by byte", "\xC0\xAF", "\\xC0\\xAF"},
        {"lone continuation before Chinese", "\x80\xE4\xB8\xAD", "\\x80\xE4\xB8\xAD"},
        {"control characters", std::string("a\0b\x1B\x7F", 5), "a\\x00b\\x1B\\x7F"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        const std::string shown = EscapeUnshowableBytes(c.text);
        EXPECT_EQ(shown, c.shown) << c.name;
        EXPECT_TRUE(IsValidUtf8(shown)) << c.name;
    }
}

TEST(TextCodec, CodePageEncodingTable)
{
    struct Case {
        const char* name;
        std::string utf8;
        int codePage;
        std::string expected;
    };
    const Case cases[] = {
        {"GBK zhong", "\xE4\xB8\xAD", 936, "\xD6\xD0"},
        {"GBK ascii and hanzi", "A\xE4\xB8\xAD\xE6\x96\x87" "1", 936, "A\xD6\xD0\xCE\xC4" "1"},
        {"GBK lacks emoji", "\xF0\x9F\x98\x80", 936, "?"},
        {"1252 e acute", "\xC3\xA9", 1252, "\xE9"},
        {"1252 euro", "\xE2\x82\xAC", 1252, "\x80"},
        {"1252 lacks hanzi", "a\xC3\xBC\xE4\xB8\xAD" "b", 1252, "a\xFC?b"},
        {"1252 no best fit", "\xC4\x81", 1252, "?"},
        {"malformed input", "x\xFF" "y", 1252, "x?y"},
        {"malformed in GBK", "\xE4\xB8", 936, "?"},
        {"empty", "", 936, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToCodePage(c.utf8, c.codePage), c.expected) << c.name;
    }
}
