#include "app/xml/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEncoding, DetectsByMarkAndValidity) {
    using K = TextEncoding::Kind;
    EXPECT_EQ(TextEncoding::Detect("abc", 3), K::Utf8);
    EXPECT_EQ(TextEncoding::Detect("\xEF\xBB\xBFx", 4), K::Utf8Bom);
    EXPECT_EQ(TextEncoding::Detect("\xFF\xFEx\0", 4), K::Utf16Le);
    EXPECT_EQ(TextEncoding::Detect("\xFE\xFF\0x", 4), K::Utf16Be);
    EXPECT_EQ(TextEncoding::Detect("[\0a\0", 4), K::Utf16Le);
    EXPECT_EQ(TextEncoding::Detect("caf\xE9", 4), K::Ansi);
    // Overlong, surrogate and truncated sequences are not UTF-8.
    EXPECT_FALSE(TextEncoding::IsValidUtf8("\xC0\xAF", 2));
    EXPECT_FALSE(TextEncoding::IsValidUtf8("\xED\xA0\x80", 3));
    EXPECT_FALSE(TextEncoding::IsValidUtf8("\xE4\xB8", 2));
    EXPECT_TRUE(TextEncoding::IsValidUtf8("\xE4\xB8\xAD\xF0\x9F\x98\x80", 7));
}

TEST(TextEncoding, ConvertsUtf16IncludingPairsAndBrokenUnits) {
    // U+1F600 as a surrogate pair, then a lone high surrogate, then an odd trailing byte.
    const char le[] = "\xFF\xFE\x3D\xD8\x00\xDE\x3D\xD8"
                      "A\0"
                      "B";
    std::string out = TextEncoding::ToUtf8(le, sizeof le - 1);
    EXPECT_EQ(out, "\xF0\x9F\x98\x80\xEF\xBF\xBD"
                   "A\xEF\xBF\xBD");
}

TEST(TextEncoding, CutsAtCodePoints) {
    std::string text = "a\xE4\xB8\xAD"
                       "b\xF0\x9F\x98\x80";
    EXPECT_EQ(TextEncoding::CodePointCount(text), 4u);
    EXPECT_EQ(TextEncoding::CutCodePoints(text, 2), "a\xE4\xB8\xAD");
    EXPECT_EQ(TextEncoding::CutCodePoints(text, 10), text);
    EXPECT_EQ(TextEncoding::CutCodePoints(text, 0), "");
}

} // namespace
