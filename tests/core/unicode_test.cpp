#include <gtest/gtest.h>

#include "text/code_page.h"
#include "text/unicode.h"

namespace {

// Cyrillic, Greek, CJK, an emoji (a surrogate pair in UTF-16) and e + combining acute.
const std::string kMixed = "\xD0\x9F\xD1\x80\xCE\xB1\xE6\x97\xA5\xF0\x9F\x98\x80" "e\xCC\x81";
const std::u16string kMixed16 = u"\u041F\u0440\u03B1\u65E5\U0001F600e\u0301";

}  // namespace

TEST(Unicode, ConvertsBothWaysAndRepairsMalformedInput)
{
    EXPECT_EQ(Utf16FromUtf8(kMixed), kMixed16);
    EXPECT_EQ(Utf8FromUtf16(kMixed16), kMixed);
    // Each malformed part is one U+FFFD: a lone continuation, a cut sequence, an
    // overlong form, an encoded surrogate.
    for (const auto& [utf8, utf16] : {std::pair<std::string, std::u16string>{"a\x80", u"a\uFFFD"},
                                      {"\xE6\x97" "x", u"\uFFFDx"}, {"\xC0\xAF", u"\uFFFD\uFFFD"},
                                      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}}) {
        EXPECT_FALSE(IsValidUtf8(utf8)) << utf8;
        EXPECT_EQ(Utf16FromUtf8(utf8), utf16) << utf8;
    }
    // Unpaired surrogates: replaced in the text form, kept in the file form.
    const std::u16string lone = u"a\xD83D" "b\xDE00";
    EXPECT_EQ(Utf8FromUtf16(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(Utf16FromWtf8(Wtf8FromUtf16(lone)), lone);
}

TEST(Unicode, CountsAndCutsWholeCharacters)
{
    EXPECT_EQ(Utf16UnitCount(kMixed), 8u);
    // The emoji (bytes 9..12, units 4..5) goes whole or not at all.
    EXPECT_EQ(Utf8PrefixChars(kMixed, 4), kMixed.substr(0, 9));
    EXPECT_EQ(Utf8PrefixChars(kMixed, 5), kMixed.substr(0, 13));
    EXPECT_EQ(Utf8PrefixUnits(kMixed, 5), kMixed.substr(0, 9));
    EXPECT_EQ(Utf8PrefixUnits(kMixed, 6), kMixed.substr(0, 13));
}

TEST(CodePage, Windows1252MapsEveryByteAndRefusesWhatItLacks)
{
    const Windows1252 cp;
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(cp.FromUtf8(cp.ToUtf8(all)), all);
    EXPECT_EQ(cp.ToUtf8("\x80\xE4\x9F"), "\xE2\x82\xAC\xC3\xA4\xC5\xB8");  // € ä Ÿ
    // Cyrillic, an emoji, Ł (best fit would give "L") and malformed UTF-8 have no bytes.
    for (const char* text : {"\xD0\x9F", "x\xF0\x9F\x98\x80", "\xC5\x81", "\xE4"})
        EXPECT_FALSE(cp.FromUtf8(text).has_value()) << text;
}
