#include "config/profile.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/profile_cases.h"

using namespace std::string_literals;

namespace {

struct ReadCase {
    std::string file, section, key, expected;
    std::string def = "dflt";
    size_t size = 2048;
};

void ExpectReads(const std::vector<ReadCase>& cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(ProfileFile(c.file).GetString(c.section, c.key, c.def, c.size), c.expected)
            << "[" << c.section << "] " << c.key << " size " << c.size << " in:\n" << c.file;
}

}  // namespace

TEST(ProfileLookup, NamesMatchWithoutAsciiCaseAndSurroundingBlanks)
{
    std::string blanks = " \t[ Sec ]\t\r\n\t key \v= x\r\n\x1a" "k2\x1a=y\r\nk k=1\r\n\xA0z=2\r\n";
    ExpectReads({
        {"[Menu]\r\nIconPfad=a\r\n", "mENU", "iconpfad", "a"},
        {"[\xC4rger]\r\n\xE4k=b\r\n", "\xC4RGER", "\xE4K", "b"},
        {"[\xC4rger]\r\n\xE4k=b\r\n", "\xE4rger", "\xE4k", "dflt"},  // no 8-bit case folding
        {"[\xC4rger]\r\n\xE4k=b\r\n", "\xC4rger", "\xC4k", "dflt"},
        {blanks, "Sec", "key", "x"},
        {blanks, " \tSec\x1a", "\fkey ", "x"},
        {blanks, "Sec", "k2", "y"},
        {blanks, "Sec", "kk", "dflt"},
        {blanks, "Sec", "z", "dflt"},  // 0xA0 is not a blank
        {blanks, "Sec", "\xA0z", "2"},
    });
}

TEST(ProfileLookup, SectionHeaders)
{
    std::string file = "pre=0\r\n[a]b]\r\nk=1\r\n[c]junk\r\nk=2\r\n[unclosed\r\nk=3\r\n[x=1\r\n[ e ] ; note\r\nk=4\r\n";
    ExpectReads({
        {file, "a]b", "k", "1"},  // the last ']' ends the name
        {file, "a", "k", "dflt"},
        {file, "c", "k", "2"},
        {file, "c", "[x", "1"},  // a '[' line without ']' is a key
        {file, "unclosed", "k", "dflt"},
        {file, "e", "k", "4"},
        {file, "a]b", "pre", "dflt"},
        {file, "  ", "pre", "0"},  // lines before any header answer a blank section name
        {"pre=1\r\n[]\r\npre=3\r\n", " ", "pre", "1"},
        {"[S]\r\na=1\r\n[s]\r\nb=2\r\n[ S ]\r\na=3\r\n", "S", "a", "1"},
        {"[S]\r\na=1\r\n[s]\r\nb=2\r\n", "s", "b", "dflt"},  // only the first of equal sections counts
    });
}

TEST(ProfileLookup, KeyLines)
{
    ExpectReads({
        {"[S]\r\nk=1\r\nK=2\r\n", "S", "K", "1"},
        {"[S]\r\nflag\r\nflag=1\r\n", "S", "flag", "d", "d"},  // no '=': the default, and it hides later ones
        {"[S]\r\nempty=\r\n", "S", "empty", "", "d"},
        {"[S]\r\n;k=1\r\nk=2\r\n", "S", ";k", "1"},  // comment lines are keys with a ';'
        {"[S]\r\n;k=1\r\nk=2\r\n", "S", "k", "2"},
        {"[S]\r\nx=0\r\n=a\r\n=b\r\n", "S", " ", "a"},
        {"[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
    });
    ProfileFile f("[S]\r\nflag\r\nempty=\r\n");
    EXPECT_FALSE(f.HasValue("S", "flag"));
    EXPECT_TRUE(f.HasValue("s", "EMPTY"));
    EXPECT_FALSE(f.HasValue("S", "missing"));
    EXPECT_FALSE(f.HasValue("T", "empty"));
}

TEST(ProfileValues, BlanksQuotesTruncationAndNul)
{
    std::string q = "[Q]\r\na='x'\r\nb=\"y\"\r\nc='z\"\r\nd='\r\ne=''\r\nf='a'b'\r\np=abcdef\r\nq='abcd'\r\n";
    ExpectReads({
        {"[S]\r\nk= \t a  b \x1a\v\f\r\n", "S", "k", "a  b"},
        {"[S]\r\nk=\xA0v\x1c\r\n", "S", "k", "\xA0v\x1c"},
        {q, "Q", "a", "x"},
        {q, "Q", "b", "y"},
        {q, "Q", "c", "'z\""},
        {q, "Q", "d", "'"},
        {q, "Q", "e", ""},
        {q, "Q", "f", "a'b"},
        {q, "Q", "p", "abc", "", 4},
        {q, "Q", "p", "", "", 1},
        {q, "Q", "p", "", "", 0},
        // After the opening quote 5 characters remain: a buffer of exactly 5 loses one more.
        {q, "Q", "q", "abcd", "", 6},
        {q, "Q", "q", "abc", "", 5},
        {q, "Q", "q", "abc", "", 4},
        {"[S]\r\nk=ab\0cd\r\na\0b=1\r\n"s, "S", "k", "ab"},
        {"[S]\r\nk=ab\0cd\r\na\0b=1\r\n"s, "S", "a", "1"},
    });
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) high += static_cast<char>(c);
    EXPECT_EQ(ProfileFile("[S]\r\nk=" + high + "\r\n").GetString("S", "k", ""), high);
}

TEST(ProfileDefaults, OnlyTrailingSpacesGoAndAnAllSpaceDefaultKeepsOne)
{
    ExpectReads({
        {"", "S", "k", "x", "x  "},
        {"", "S", "k", "x \t", "x \t"},
        {"", "S", "k", "  x", "  x"},
        {"", "S", "k", " ", "   "},
        {"", "S", "k", "", ""},
        {"", "S", "k", "quoted", "'quoted'  "},
        {"", "S", "k", "ab", "abcdef", 3},
    });
}

TEST(ProfileLineBreaks, CrLfLfAndLoneCrAllEndLines)
{
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        std::string file = "[S]"s + eol + "a=1" + eol + "[T]" + eol + "b=2";
        ExpectReads({{file, "S", "a", "1"}, {file, "T", "b", "2"}, {file, "S", "b", "dflt"}});
    }
}

TEST(ProfileBom, Utf8MarkIsSkippedOnRead)
{
    ProfileFile f("\xEF\xBB\xBFk=pre\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ(f.GetString("S", "k", "d"), "v");
    EXPECT_EQ(f.GetString(" ", "k", "d"), "pre");
}

// Written bytes: changed and added lines only, in the file's own line style.
TEST(ProfileWrite, OnlyTheWrittenLinesChange)
{
    struct Case {
        const char* rule;
        std::string before;
        std::vector<std::array<std::string, 3>> writes;
        std::string after;
    };
    const Case cases[] = {
        {"a value is replaced in place", "; top\n[S]\n  Key =  old value \n other = x\n\n[T]\nKey=t\n",
         {{"s", "KEY", "new"}}, "; top\n[S]\n  Key =  new\n other = x\n\n[T]\nKey=t\n"},
        {"a key without '=' gets one", "[S]\r\nflag  \r\n", {{"S", "flag", "1"}}, "[S]\r\nflag=1\r\n"},
        {"a new key follows the last key, before blank and comment lines",
         "[S]\r\na=1\r\n\r\n; about T\r\n[T]\r\nb=2\r\n", {{"S", "new", "n"}, {"T", "new", "m"}},
         "[S]\r\na=1\r\nnew=n\r\n\r\n; about T\r\n[T]\r\nb=2\r\nnew=m\r\n"},
        {"a new section goes at the end", "[S]\na=1", {{"New", "k", "v"}}, "[S]\na=1\n[New]\nk=v\n"},
        {"a new file has CR LF", "", {{"GLOBAL", "IconSize", "32"}, {"GLOBAL", "MenuCount", "0"}},
         "[GLOBAL]\r\nIconSize=32\r\nMenuCount=0\r\n"},
        {"leading blanks of a value go", "", {{"S", "k", " \t v "}}, "[S]\r\nk=v \r\n"},
        {"the same value changes nothing", "[S]\r\nk = v   \r\n", {{"S", "k", "v"}}, "[S]\r\nk = v   \r\n"},
        {"the first of equal sections takes the write", "[S]\r\na=1\r\n[S]\r\nb=2\r\n", {{"S", "b", "3"}},
         "[S]\r\na=1\r\nb=3\r\n[S]\r\nb=2\r\n"},
        {"a blank section name writes before the first header", "[S]\r\na=1\r\n", {{"  ", "top", "1"}},
         "top=1\r\n[S]\r\na=1\r\n"},
        {"the UTF-8 mark stays", "\xEF\xBB\xBFk=pre\r\n[S]\r\nk=v\r\n", {{" ", "first", "1"}, {"S", "k", "w"}},
         "\xEF\xBB\xBFk=pre\r\nfirst=1\r\n[S]\r\nk=w\r\n"},
        {"a value with a line break is written raw", "[S]\r\na=1\r\n", {{"S", "a", "x\r\n[Injected]\r\nz=3"}},
         "[S]\r\na=x\r\n[Injected]\r\nz=3\r\n"},
    };
    for (const auto& c : cases) {
        ProfileFile f(c.before);
        for (const auto& w : c.writes) f.SetString(w[0], w[1], w[2]);
        EXPECT_EQ(f.Bytes(), c.after) << c.rule;
    }
}

TEST(ProfileWrite, ASectionAskedForWhileMissingIsFoundOnceWritten)
{
    ProfileFile f("[S]\r\na=1\r\n");
    f.Reserve(100, 4000);  // room for a save changes no answer
    EXPECT_EQ(f.GetString("New", "k", "def"), "def");
    EXPECT_FALSE(f.HasValue("new", "k"));
    f.SetString("New", "k", "v");
    EXPECT_EQ(f.GetString("NEW", "k", "def"), "v");
    f.SetString("New", "l", "w");
    EXPECT_EQ(f.GetString("New", "l", ""), "w");
    EXPECT_EQ(f.GetString("S", "a", ""), "1");
    EXPECT_EQ(f.Bytes(), "[S]\r\na=1\r\n[New]\r\nk=v\r\nl=w\r\n");
}

TEST(ProfileWrite, LineBreakInAValueIsWrittenRawAndReadsBackSplit)
{
    ProfileFile f("[S]\r\na=1\r\n");
    f.SetString("S", "a", "x\r\n[Injected]\r\nz=3");
    EXPECT_EQ(f.GetString("S", "a", "d"), "x");
    EXPECT_EQ(f.GetString("Injected", "z", "d"), "3");
    f.SetString("Injected", "z", "4");
    EXPECT_EQ(f.GetString("injected", "Z", "d"), "4");
}

TEST(ProfileWrite, NamesThatDoNotReadBackAsWrittenAreReadAsTheFileSays)
{
    ProfileFile f("[S]\r\n");
    f.SetString("S", "a=b", "c");
    EXPECT_EQ(f.GetString("S", "a", "d"), "b=c");
    EXPECT_EQ(f.GetString("S", "a=b", "d"), "d");
    // Written first in the file, a key starting with the UTF-8 mark turns it into one.
    f.SetString(" ", "\xEF\xBB\xBFk", "v");
    EXPECT_EQ(f.GetString(" ", "k", "d"), "v");
    EXPECT_EQ(f.Bytes(), "\xEF\xBB\xBFk=v\r\n[S]\r\na=b=c\r\n");
}

TEST(ProfileWrite, NamelessHeaderDisappearsAtTheFirstWriteAsWithWine)
{
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
TEST(ProfileRoundTrip, BytesReparseToTheSameAnswersAfterEveryWrite)
{
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

// How fast this runs is the benchmark's business (bench/config_bench.cpp); a wall-clock
// limit here only failed on a loaded machine.
TEST(ProfileSpeed, ManyWritesAndABigParseKeepEveryValue)
{
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
    EXPECT_EQ(parsed.GetString("m0i1", "pfad", ""), "C:\\Program Files\\Some Program\\program1.exe");
}
