// UTF-8 <-> UTF-16: every character survives the round trip, and input that does not form
// characters becomes U+FFFD without swallowing the good text around it.
#include <gtest/gtest.h>

#include <string>

#include "text/utf.h"

namespace qf::text::test {
namespace {

TEST(Utf8ToUtf16Test, ValidTextOfEverySequenceLength) {
    EXPECT_EQ(Utf8ToUtf16(""), u"");
    EXPECT_EQ(Utf8ToUtf16("Macro 1"), u"Macro 1");
    EXPECT_EQ(Utf8ToUtf16("\xc3\xa9"), u"\u00e9");              // 2 bytes
    EXPECT_EQ(Utf8ToUtf16("\xe4\xb8\xad"), u"\u4e2d");          // 3 bytes
    EXPECT_EQ(Utf8ToUtf16("\xf0\x9f\x8e\xb9"), u"\U0001F3B9");  // 4 bytes: a surrogate pair
    EXPECT_EQ(Utf8ToUtf16("\xf0\x9f\x8e\xb9").size(), 2u);
    // The edges of each length.
    EXPECT_EQ(Utf8ToUtf16("\x7f"), u"\u007f");
    EXPECT_EQ(Utf8ToUtf16("\xc2\x80"), u"\u0080");
    EXPECT_EQ(Utf8ToUtf16("\xdf\xbf"), u"\u07ff");
    EXPECT_EQ(Utf8ToUtf16("\xe0\xa0\x80"), u"\u0800");
    EXPECT_EQ(Utf8ToUtf16("\xef\xbf\xbf"), u"\uffff");
    EXPECT_EQ(Utf8ToUtf16("\xf0\x90\x80\x80"), u"\U00010000");
    EXPECT_EQ(Utf8ToUtf16("\xf4\x8f\xbf\xbf"), u"\U0010FFFF");
    // A NUL is a character like any other.
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf8ToUtf16Test, EachByteOfABrokenSequenceBecomesOneReplacement) {
    EXPECT_EQ(Utf8ToUtf16("a\xff"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\x80"), u"\uFFFD");                  // stray continuation byte
    EXPECT_EQ(Utf8ToUtf16("\xe4\xb8"), u"\uFFFD\uFFFD");        // cut short at the end
    EXPECT_EQ(Utf8ToUtf16("\xe4\xb8z"), u"\uFFFD\uFFFDz");      // cut short by a character
    EXPECT_EQ(Utf8ToUtf16("\xc3\xc3\xa9"), u"\uFFFD\u00e9");    // the next lead byte survives
    EXPECT_EQ(Utf8ToUtf16("\xf8\x88\x80\x80\x80").size(), 5u);  // 5-byte forms are not UTF-8
    EXPECT_EQ(Utf8ToUtf16("\xfe\xff"), u"\uFFFD\uFFFD");
}

TEST(Utf8ToUtf16Test, OverlongsSurrogatesAndValuesPastTheLastCharacterAreRefused) {
    EXPECT_EQ(Utf8ToUtf16("\xc0\x80"), u"\uFFFD\uFFFD");                      // overlong NUL
    EXPECT_EQ(Utf8ToUtf16("\xc1\xbf"), u"\uFFFD\uFFFD");                      // overlong 0x7F
    EXPECT_EQ(Utf8ToUtf16("\xe0\x9f\xbf"), u"\uFFFD\uFFFD\uFFFD");            // overlong 0x7FF
    EXPECT_EQ(Utf8ToUtf16("\xf0\x8f\xbf\xbf"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // overlong 0xFFFF
    EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");            // U+D800 encoded
    EXPECT_EQ(Utf8ToUtf16("\xed\xbf\xbf"), u"\uFFFD\uFFFD\uFFFD");            // U+DFFF encoded
    EXPECT_EQ(Utf8ToUtf16("\xf4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // U+110000
    EXPECT_EQ(Utf8ToUtf16("\xf7\xbf\xbf\xbf").size(), 4u);
}

TEST(Utf16ToUtf8Test, ValidTextAndSurrogatePairs) {
    EXPECT_EQ(Utf16ToUtf8(u""), "");
    EXPECT_EQ(Utf16ToUtf8(u"Macro \u00e9\u4e2d"), "Macro \xc3\xa9\xe4\xb8\xad");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F3B9"), "\xf0\x9f\x8e\xb9");
    EXPECT_EQ(Utf16ToUtf8(u"\U0010FFFF"), "\xf4\x8f\xbf\xbf");
    EXPECT_EQ(Utf16ToUtf8(u"\uffff"), "\xef\xbf\xbf");
}

TEST(Utf16ToUtf8Test, UnpairedSurrogatesBecomeReplacements) {
    const std::string replacement = "\xef\xbf\xbd";
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), replacement);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xDC00})), replacement);
    // A high surrogate followed by a character, and a low one before its high one.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xD83C}, u'a'}), replacement + "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xDFB9}, char16_t{0xD83C}}),
              replacement + replacement);
    // Two high surrogates, then a low one: the second pair is whole.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xD83C}, char16_t{0xD83C}, char16_t{0xDFB9}}),
              replacement + "\xf0\x9f\x8e\xb9");
}

TEST(UtfTest, RoundTrips) {
    const std::string text = "Macro \xc3\xa9\xe4\xb8\xad\xf0\x9f\x8e\xb9";  // é, 中, 🎹
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"Macro \u00e9\u4e2d\U0001F3B9");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    // Every BMP value that is not a surrogate, in one string.
    std::u16string all;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c < 0xD800 || c > 0xDFFF) {
            all += static_cast<char16_t>(c);
        }
    }
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
}

}  // namespace
}  // namespace qf::text::test
