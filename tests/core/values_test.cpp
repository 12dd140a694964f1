#include <gtest/gtest.h>

#include <random>

#include "../support/text_cases.h"
#include "config/config_file.h"
#include "config/profile.h"
#include "config/values.h"
#include "shell/idlist_bytes.h"

TEST(IniValues, IntegersInEveryAcceptedForm)
{
    struct Case { const char* text; std::optional<int32_t> want; } cases[] = {
        {"12", 12}, {"-7", -7}, {"+5", 5}, {" 5", 5}, {"007", 7},
        {"$FF", 255}, {"$ff", 255}, {"-$10", -16}, {"$FFFFFFFF", -1}, {"$FFFFFF", 16777215},
        {"0x1F", 31}, {"0X1f", 31}, {"0x3", 3},
        {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseIniInt(c.text), c.want) << c.text;
}

TEST(IniValues, AnythingElseIsNoNumber)
{
    for (const char* text : {"", " ", "$", "-", "+", "0x", "0X", "x1", "12a", "1 2", "abc", "yes",
                             "2147483648", "-2147483649", "$100000000", "99999999999999999999",
                             "1.5", "$G", "0x1G", "--1"})
        EXPECT_EQ(ParseIniInt(text), std::nullopt) << '"' << text << '"';
}

TEST(IniValues, SmallFieldsKeepTheLowBits)
{
    EXPECT_EQ(IniFieldOr<uint8_t>("300", 32), 44);
    EXPECT_EQ(IniFieldOr<uint16_t>("70000", 0), 4464);
    EXPECT_EQ(IniFieldOr<uint8_t>("0x3", 2), 3);
    EXPECT_EQ(IniFieldOr<uint8_t>("-1", 2), 255);
    EXPECT_EQ(IniFieldOr<uint8_t>("", 2), 2);
    EXPECT_TRUE(IniBoolOr("2", false));
    EXPECT_TRUE(IniBoolOr("-1", false));
    EXPECT_FALSE(IniBoolOr("0", true));
    EXPECT_FALSE(IniBoolOr("yes", false));
    EXPECT_TRUE(IniBoolOr("yes", true));
}

TEST(IniValues, TextsStayOnOneLine)
{
    EXPECT_EQ(IniSafeText("a\r\nb\rc\nd"), "a  b c d");
    EXPECT_EQ(IniSafeText(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(IniSafeText("  quoted 'x'  "), "  quoted 'x'  ");
}

// A text is written as it stands exactly when the reader gives it back as it stands;
// otherwise it gets one pair of quotes, and then reads back whole. Line breaks are
// blanks and may need the quotes too.
TEST(IniValues, OnlyTextsTheReaderWouldChangeGetQuotes)
{
    auto readBack = [](std::string_view value) {
        ProfileFile file;
        file.SetString("S", "k", value);
        return file.GetString("S", "k", "", IniValueBuffer);
    };
    for (const std::string& text : text_cases::Texts()) {
        const std::string written = IniText(text);
        if (readBack(text) == text)
            EXPECT_EQ(written, text) << text_cases::Escaped(text);
        else
            EXPECT_EQ(written, '"' + text + '"') << text_cases::Escaped(text);
        EXPECT_EQ(readBack(written), text) << text_cases::Escaped(text);
    }
    EXPECT_EQ(IniText("a\r\n"), "\"a  \"");
    EXPECT_EQ(IniText(std::string_view("\"x\0\"", 4)), "\"x");
}

TEST(IdListText, KnownTexts)
{
    EXPECT_EQ(IdListToText(std::string("\x41\x00\xff", 3)), "{065,000,255}");
    EXPECT_EQ(IdListToText(std::string(1, '\0')), "{000}");
    EXPECT_EQ(IdListToText(""), "}");
    EXPECT_EQ(IdListFromText("{065,000,255}"), std::string("\x41\x00\xff", 3));
    EXPECT_EQ(IdListFromText("{300,065}"), std::string("\x2c\x41", 2));
    EXPECT_EQ(IdListFromText("}"), std::string());
}

TEST(IdListText, MalformedTextsAreRejected)
{
    for (const char* text : {"", "{", "{}", "{1}", "{abc}", "{065,000", "065,000}", "{065;000}",
                             "{065,000,}", "{065,,000}", "{-12}", "{+12}", "{ 12}", "{065}x",
                             "{065,0000}", "}}"})
        EXPECT_EQ(IdListFromText(text), std::nullopt) << text;
}

TEST(IdListText, EveryByteStringSurvivesTheRoundTrip)
{
    std::mt19937 rng(7);
    for (int n = 0; n < 300; ++n) {
        std::string bytes(n % 520, '\0');
        for (char& b : bytes) b = static_cast<char>(rng());
        const std::string text = IdListToText(bytes);
        EXPECT_EQ(text.size(), 4 * bytes.size() + 1);
        EXPECT_EQ(IdListFromText(text), bytes);
    }
}

namespace {
std::string Element(uint16_t cb)
{
    std::string e(cb, 'x');
    e[0] = static_cast<char>(cb & 0xff);
    e[1] = static_cast<char>(cb >> 8);
    return e;
}
const std::string Terminator(2, '\0');
const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
}  // namespace

TEST(IdListBytes, SizeCountAndLast)
{
    const std::string two = Element(20) + Element(14) + Terminator;
    EXPECT_EQ(IdListSize(Bytes(two)), 36u);
    EXPECT_EQ(IdListCount(Bytes(two)), 2u);
    EXPECT_EQ(IdListSize(Bytes(Terminator)), 2u);
    EXPECT_EQ(IdListSize(nullptr), 0u);
    EXPECT_EQ(IdListCount(nullptr), 0u);

    const std::string three = Element(4) + Element(6) + Element(8) + Terminator;
    EXPECT_EQ(IdListLast(Bytes(three)), Bytes(three) + 10);
    const std::string one = Element(9) + Terminator;
    EXPECT_EQ(IdListLast(Bytes(one)), Bytes(one));
    EXPECT_EQ(IdListLast(Bytes(Terminator)), Bytes(Terminator));
}

TEST(IdListBytes, OnlyOneCompleteListIsAccepted)
{
    EXPECT_TRUE(IsCompleteIdList(Terminator));
    EXPECT_TRUE(IsCompleteIdList(Element(20) + Element(14) + Terminator));
    EXPECT_EQ(IdListLengthIn(Element(3) + Terminator + "junk"), 5u);

    EXPECT_FALSE(IsCompleteIdList(""));                                  // no terminator at all
    EXPECT_FALSE(IsCompleteIdList(std::string(1, '\0')));                 // half a terminator
    EXPECT_FALSE(IsCompleteIdList(Element(20) + Element(14)));            // terminator missing
    EXPECT_FALSE(IsCompleteIdList((Element(20) + Terminator).substr(0, 10)));  // runs past the end
    EXPECT_FALSE(IsCompleteIdList(std::string("\x01\x00\x00\x00", 4)));   // shorter than its size field
    EXPECT_FALSE(IsCompleteIdList(Element(5) + Terminator + "x"));        // bytes after the list
}
