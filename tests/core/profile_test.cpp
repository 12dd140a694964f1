#include "config/profile.h"

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "../support/profile_cases.h"

using namespace std::string_literals;

namespace {

std::string Get(const std::string& bytes, const std::string& section, const std::string& key,
                const std::string& def = "dflt", size_t size = 2048) {
    return ProfileFile(bytes).GetString(section, key, def, size);
}

}  // namespace

TEST(ProfileLookup, NamesIgnoreAsciiCaseButNotEightBitCase) {
    ProfileFile f("[Menu]\r\nIconPfad=a\r\n[\xC4rger]\r\n\xE4k=b\r\n");
    EXPECT_EQ(f.GetString("mENU", "iconpfad", "d"), "a");
    EXPECT_EQ(f.GetString("\xC4RGER", "\xE4K", "d"), "b");
    EXPECT_EQ(f.GetString("\xE4rger", "\xE4k", "d"), "d");
    EXPECT_EQ(f.GetString("\xC4rger", "\xC4k", "d"), "d");
}

TEST(ProfileLookup, BlanksAroundNamesDoNotCount) {
    std::string file = " \t[ Sec ]\t\r\n\t key \v= x\r\n\x1a" "k2\x1a=y\r\n";
    EXPECT_EQ(Get(file, "Sec", "key"), "x");
    EXPECT_EQ(Get(file, " \tSec\x1a", "\fkey "), "x");
    EXPECT_EQ(Get(file, "Sec", "k2"), "y");
    // Blanks inside a name and bytes that only look blank are part of the name.
    EXPECT_EQ(Get("[S]\r\nk k=1\r\n\xA0z=2\r\n", "S", "kk"), "dflt");
    EXPECT_EQ(Get("[S]\r\nk k=1\r\n\xA0z=2\r\n", "S", "z"), "dflt");
    EXPECT_EQ(Get("[S]\r\nk k=1\r\n\xA0z=2\r\n", "S", "\xA0z"), "2");
}

TEST(ProfileLookup, HeaderNameEndsAtTheLastBracket) {
    std::string file = "[a]b]\r\nk=1\r\n[c]junk\r\nk=2\r\n[unclosed\r\nk=3\r\n[ e ] ; note\r\nk=4\r\n";
    EXPECT_EQ(Get(file, "a]b", "k"), "1");
    EXPECT_EQ(Get(file, "a", "k"), "dflt");
    EXPECT_EQ(Get(file, "c", "k"), "2");
    EXPECT_EQ(Get(file, "e", "k"), "4");
}

TEST(ProfileLookup, UnclosedHeaderIsAKeyLine) {
    std::string file = "[c]\r\n[unclosed\r\nk=3\r\n[x=1\r\n";
    EXPECT_EQ(Get(file, "c", "k"), "3");
    EXPECT_EQ(Get(file, "c", "[x"), "1");
    EXPECT_EQ(Get(file, "unclosed", "k"), "dflt");
}

TEST(ProfileLookup, OnlyTheFirstOfDuplicateSectionsIsSearched) {
    std::string file = "[S]\r\na=1\r\n[s]\r\nb=2\r\n[ S ]\r\na=3\r\n";
    EXPECT_EQ(Get(file, "S", "a"), "1");
    EXPECT_EQ(Get(file, "s", "b"), "dflt");
}

TEST(ProfileLookup, FirstOfDuplicateKeysWins) {
    std::string file = "[S]\r\nk=1\r\nK=2\r\n";
    EXPECT_EQ(Get(file, "S", "k"), "1");
    EXPECT_EQ(Get(file, "S", "K"), "1");
}

TEST(ProfileLookup, KeyWithoutEqualsGivesTheDefaultAndShadowsLaterValues) {
    ProfileFile f("[S]\r\nflag\r\nflag=1\r\nempty=\r\n");
    EXPECT_EQ(f.GetString("S", "flag", "d"), "d");
    EXPECT_FALSE(f.HasValue("S", "flag"));
    EXPECT_EQ(f.GetString("S", "empty", "d"), "");
    EXPECT_TRUE(f.HasValue("S", "empty"));
    EXPECT_FALSE(f.HasValue("S", "missing"));
    EXPECT_FALSE(f.HasValue("T", "flag"));
}

TEST(ProfileLookup, LinesBeforeAnySectionAnswerOnlyABlankSectionName) {
    std::string file = "pre=1\r\n[S]\r\nother=2\r\n[]\r\npre=3\r\n";
    EXPECT_EQ(Get(file, "S", "pre"), "dflt");
    EXPECT_EQ(Get(file, "  ", "pre"), "1");
}

TEST(ProfileLookup, CommentLinesAreKeysNamedWithTheirSemicolon) {
    std::string file = "[S]\r\n;k=1\r\nk=2\r\n";
    EXPECT_EQ(Get(file, "S", "k"), "2");
    EXPECT_EQ(Get(file, "S", ";k"), "1");
}

TEST(ProfileLookup, BlankKeyNameFindsTheFirstNamelessKey) {
    EXPECT_EQ(Get("[S]\r\nx=0\r\n=a\r\n=b\r\n", "S", " "), "a");
}

TEST(ProfileValues, BlanksAroundTheValueAreTrimmed) {
    EXPECT_EQ(Get("[S]\r\nk= \t a  b \x1a\v\f\r\n", "S", "k"), "a  b");
    EXPECT_EQ(Get("[S]\r\nk=\xA0v\x1c\r\n", "S", "k"), "\xA0v\x1c");
}

TEST(ProfileValues, EveryEightBitByteComesBackUnchanged) {
    std::string value;
    for (int c = 0x80; c <= 0xFF; ++c) value += static_cast<char>(c);
    EXPECT_EQ(Get("[S]\r\nk=" + value + "\r\n", "S", "k"), value);
}

TEST(ProfileValues, MatchingQuotesAreStripped) {
    std::string file = "[Q]\r\na='x'\r\nb=\"y\"\r\nc='z\"\r\nd='\r\ne=''\r\nf='a'b'\r\n";
    EXPECT_EQ(Get(file, "Q", "a"), "x");
    EXPECT_EQ(Get(file, "Q", "b"), "y");
    EXPECT_EQ(Get(file, "Q", "c"), "'z\"");
    EXPECT_EQ(Get(file, "Q", "d"), "'");
    EXPECT_EQ(Get(file, "Q", "e"), "");
    EXPECT_EQ(Get(file, "Q", "f"), "a'b");
}

TEST(ProfileValues, ShortBufferTruncatesAndMayEatAQuotedCharacter) {
    std::string file = "[Q]\r\nplain=abcdef\r\nq='abcd'\r\n";
    EXPECT_EQ(Get(file, "Q", "plain", "", 4), "abc");
    EXPECT_EQ(Get(file, "Q", "plain", "", 1), "");
    EXPECT_EQ(Get(file, "Q", "plain", "", 0), "");
    // After the opening quote 5 characters remain ("abcd'").
    EXPECT_EQ(Get(file, "Q", "q", "", 6), "abcd");
    EXPECT_EQ(Get(file, "Q", "q", "", 5), "abc");
    EXPECT_EQ(Get(file, "Q", "q", "", 4), "abc");
    EXPECT_EQ(Get(file, "Q", "q", "", 3), "ab");
}

TEST(ProfileValues, NulEndsANameOrValue) {
    std::string file = "[S]\r\nk=ab\0cd\r\na\0b=1\r\n"s;
    EXPECT_EQ(Get(file, "S", "k"), "ab");
    EXPECT_EQ(Get(file, "S", "a"), "1");
}

TEST(ProfileDefaults, OnlyTrailingSpacesAreStrippedAndAnAllSpaceDefaultKeepsOne) {
    EXPECT_EQ(Get("", "S", "k", "x  "), "x");
    EXPECT_EQ(Get("", "S", "k", "x \t"), "x \t");
    EXPECT_EQ(Get("", "S", "k", "  x"), "  x");
    EXPECT_EQ(Get("", "S", "k", "   "), " ");
    EXPECT_EQ(Get("", "S", "k", ""), "");
    EXPECT_EQ(Get("", "S", "k", "'quoted'  "), "quoted");
    EXPECT_EQ(Get("", "S", "k", "abcdef", 3), "ab");
}

TEST(ProfileLineBreaks, CrLfLfAndLoneCrAllEndLines) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        std::string file = "[S]"s + eol + "a=1" + eol + "[T]" + eol + "b=2";
        EXPECT_EQ(Get(file, "S", "a"), "1") << "eol " << int(eol[0]);
        EXPECT_EQ(Get(file, "T", "b"), "2") << "eol " << int(eol[0]);
        EXPECT_EQ(Get(file, "S", "b"), "dflt");
    }
}

TEST(ProfileBom, Utf8MarkIsSkippedOnReadAndKeptOnWrite) {
    ProfileFile f("\xEF\xBB\xBFk=pre\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ(f.GetString("S", "k", "d"), "v");
    EXPECT_EQ(f.GetString(" ", "k", "d"), "pre");
    f.SetString(" ", "first", "1");
    f.SetString("S", "k", "w");
    EXPECT_EQ(f.Bytes(), "\xEF\xBB\xBFk=pre\r\nfirst=1\r\n[S]\r\nk=w\r\n");
}

TEST(ProfileWrite, ReplacingAValueKeepsEveryOtherByte) {
    std::string file = "; top\n[S]\n  Key =  old value \n other = x\n\n[T]\nKey=t\n";
    ProfileFile f(file);
    f.SetString("s", "KEY", "new");
    EXPECT_EQ(f.Bytes(), "; top\n[S]\n  Key =  new\n other = x\n\n[T]\nKey=t\n");
}

TEST(ProfileWrite, KeyWithoutEqualsGetsOne) {
    ProfileFile f("[S]\r\nflag  \r\n");
    f.SetString("S", "flag", "1");
    EXPECT_EQ(f.Bytes(), "[S]\r\nflag=1\r\n");
}

TEST(ProfileWrite, NewKeyGoesAfterTheLastKeyBeforeBlankAndCommentLines) {
    ProfileFile f("[S]\r\na=1\r\n\r\n; about T\r\n[T]\r\nb=2\r\n");
    f.SetString("S", "new", "n");
    f.SetString("T", "new", "m");
    EXPECT_EQ(f.Bytes(), "[S]\r\na=1\r\nnew=n\r\n\r\n; about T\r\n[T]\r\nb=2\r\nnew=m\r\n");
}

TEST(ProfileWrite, NewSectionIsAppendedInTheFilesLineStyle) {
    ProfileFile f("[S]\na=1");
    f.SetString("New", "k", "v");
    EXPECT_EQ(f.Bytes(), "[S]\na=1\n[New]\nk=v\n");
    ProfileFile empty;
    empty.SetString("GLOBAL", "IconSize", "32");
    empty.SetString("GLOBAL", "MenuCount", "0");
    EXPECT_EQ(empty.Bytes(), "[GLOBAL]\r\nIconSize=32\r\nMenuCount=0\r\n");
}

TEST(ProfileWrite, LeadingBlanksOfTheValueAreDropped) {
    ProfileFile f;
    f.SetString("S", "k", " \t v ");
    EXPECT_EQ(f.Bytes(), "[S]\r\nk=v \r\n");
    EXPECT_EQ(f.GetString("S", "k", "d"), "v");
}

TEST(ProfileWrite, SameValueLeavesTheLineAsItWas) {
    ProfileFile f("[S]\r\nk = v   \r\n");
    f.SetString("S", "k", "v");
    EXPECT_EQ(f.Bytes(), "[S]\r\nk = v   \r\n");
}

TEST(ProfileWrite, DuplicateSectionsTakeWritesInTheFirst) {
    ProfileFile f("[S]\r\na=1\r\n[S]\r\nb=2\r\n");
    f.SetString("S", "b", "3");
    EXPECT_EQ(f.Bytes(), "[S]\r\na=1\r\nb=3\r\n[S]\r\nb=2\r\n");
    EXPECT_EQ(f.GetString("S", "b", "d"), "3");
}

TEST(ProfileWrite, BlankSectionNameWritesBeforeTheFirstHeader) {
    ProfileFile f("[S]\r\na=1\r\n");
    f.SetString("  ", "top", "1");
    EXPECT_EQ(f.Bytes(), "top=1\r\n[S]\r\na=1\r\n");
}

TEST(ProfileWrite, LineBreakInAValueIsWrittenRawAndReadsBackSplit) {
    ProfileFile f("[S]\r\na=1\r\n");
    f.SetString("S", "a", "x\r\n[Injected]\r\nz=3");
    EXPECT_EQ(f.Bytes(), "[S]\r\na=x\r\n[Injected]\r\nz=3\r\n");
    EXPECT_EQ(f.GetString("S", "a", "d"), "x");
    EXPECT_EQ(f.GetString("Injected", "z", "d"), "3");
    f.SetString("Injected", "z", "4");
    EXPECT_EQ(f.GetString("injected", "Z", "d"), "4");
}

TEST(ProfileWrite, KeyNameWithEqualsReadsBackAsItsFirstPart) {
    ProfileFile f("[S]\r\n");
    f.SetString("S", "a=b", "c");
    EXPECT_EQ(f.GetString("S", "a", "d"), "b=c");
    EXPECT_EQ(f.GetString("S", "a=b", "d"), "d");
}

TEST(ProfileWrite, NamelessHeaderDisappearsAtTheFirstWriteAsWithWine) {
    ProfileFile f("[A]\r\nx=1\r\n[]\r\nk=2\r\n");
    EXPECT_EQ(f.GetString("A", "k", "d"), "d");
    f.SetString("A", "x", "1");  // no change: Wine does not save
    EXPECT_EQ(f.GetString("A", "k", "d"), "d");
    f.SetString("B", "y", "1");
    EXPECT_EQ(f.GetString("A", "k", "d"), "2");
    EXPECT_EQ(f.Bytes(), "[A]\r\nx=1\r\nk=2\r\n[B]\r\ny=1\r\n");
}

// Every write leaves bytes that, parsed afresh, answer every lookup the same as the
// object that made them; plain writes read back as the value without its blanks.
TEST(ProfileRoundTrip, BytesReparseToTheSameAnswersAfterEveryWrite) {
    for (const auto& file : profile_cases::AwkwardFiles()) {
        for (uint32_t seed = 1; seed <= 2; ++seed) {
            auto names = profile_cases::NamesIn(file.bytes);
            auto writes = profile_cases::WriteSequence(names, seed, 20);
            for (const auto& w : writes) {
                names.sections.insert(w.section);
                names.keys.insert(w.key);
            }
            ProfileFile live(file.bytes);
            for (const auto& w : writes) {
                live.SetString(w.section, w.key, w.value);
                ProfileFile again(live.Bytes());
                for (const auto& s : names.sections)
                    for (const auto& k : names.keys)
                        ASSERT_EQ(live.GetString(s, k, "dflt"), again.GetString(s, k, "dflt"))
                            << file.name << " seed " << seed << " after writing [" << w.section << "] "
                            << w.key << "=" << w.value << "; probe [" << s << "] " << k;
                bool plain = w.key.find_first_of("=\n[") == std::string::npos &&
                             w.section.find_first_of("]\r\n") == std::string::npos &&
                             w.value.find_first_of("\r\n'\"") == std::string::npos;
                if (!plain) continue;
                size_t b = w.value.find_first_not_of(" \t\v\f\x1a");
                size_t e = w.value.find_last_not_of(" \t\v\f\x1a");
                std::string expected = b == std::string::npos ? "" : w.value.substr(b, e - b + 1);
                EXPECT_EQ(again.GetString(w.section, w.key, "d"), expected) << file.name;
            }
        }
    }
}

TEST(ProfileSpeed, ManyWritesAndABigParseStayLinear) {
    auto start = std::chrono::steady_clock::now();
    ProfileFile f;
    for (int m = 0; m < 20; ++m)
        for (int i = 1; i <= 100; ++i)
            for (const char* key : {"Pfad", "IsPIDL", "IconPfad", "IconNum", "Description",
                                    "Parameters", "Autostart", "Startmode", "AutoStartmode", "Extra"})
                f.SetString("M" + std::to_string(m) + "I" + std::to_string(i), key,
                            "C:\\Program Files\\Some Program\\program" + std::to_string(i) + ".exe");
    std::string bytes = f.Bytes();
    ProfileFile parsed(bytes);
    EXPECT_GT(bytes.size(), 400000u);
    EXPECT_EQ(parsed.GetString("m19i100", "extra", ""), "C:\\Program Files\\Some Program\\program100.exe");
    // A quadratic step would take seconds here, even under the sanitizers.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}
