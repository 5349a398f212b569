// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/utf8.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(Utf8, DecodesWellFormedSequences) {
    const struct {
        std::string text;
        char32_t cp;
        std::size_t len;
    } cases[] = {{"A", 'A', 1},
                 {"\xC3\xA9", 0xE9, 2},
                 {"\xE2\x82\xAC", 0x20AC, 3},
                 {"\xF0\x9F\x98\x80", 0x1F600, 4},
                 {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4}};
    for (const auto& c : cases) {
        const auto d = utf8::DecodeOne(c.text);
        EXPECT_TRUE(d.valid);
        EXPECT_EQ(d.codePoint, c.cp);
        EXPECT_EQ(d.length, c.len);
    }
}

TEST(Utf8, EachBadByteIsOneReplacement) {
    for (const std::string bad : {"\x80", "\xC0\xAF", "\xC2", "\xE2\x82", "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF"}) {
        const auto d = utf8::DecodeOne(bad);
        EXPECT_FALSE(d.valid);
        EXPECT_EQ(d.length, 1u);
        EXPECT_EQ(utf8::Length(bad), bad.size());
        std::string expected;
        for (std::size_t i = 0; i < bad.size(); ++i) expected += "\xEF\xBF\xBD";
        EXPECT_EQ(utf8::Sanitize(bad), expected);
    }
    // A truncated sequence does not swallow the valid character after it.
    EXPECT_EQ(utf8::Sanitize("\xE2\x82"
                             "A"),
              "\xEF\xBF\xBD\xEF\xBF\xBD"
              "A");
}

TEST(Utf8, Utf16RoundTrip) {
    const std::string text = "Aé€😀";
    const std::u16string wide = utf8::ToUtf16(text);
    EXPECT_EQ(wide, (std::u16string{u'A', u'é', u'€', 0xD83D, 0xDE00}));
    EXPECT_EQ(utf8::FromUtf16(wide), text);
    // Bad bytes are one replacement each, a NUL stays, and a text of four-byte characters
    // only fills two units per character.
    EXPECT_EQ(utf8::ToUtf16(std::string("a\0\xFF\xE2\x82", 5)),
              (std::u16string{u'a', 0, 0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(utf8::ToUtf16("😀😀"), (std::u16string{0xD83D, 0xDE00, 0xD83D, 0xDE00}));
    EXPECT_EQ(utf8::ToUtf16(""), u"");
    EXPECT_EQ(utf8::FromUtf16(std::u16string{0xD83D, u'A'}),
              "\xEF\xBF\xBD"
              "A");
}

}  // namespace
}  // namespace quillon
