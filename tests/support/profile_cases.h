// Awkward INI files, lookups and write sequences shared by the native profile tests,
// the differential test under Wine and the fuzz seeds. Header-only, no <windows.h>.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace profile_cases {

using namespace std::string_literals;

struct File {
    std::string name;
    std::string bytes;
};

inline std::vector<File> AwkwardFiles()
{
    std::string longValue(3000, 'x');
    longValue[0] = 'L';
    return {
        {"crlf", "[GLOBAL]\r\nIconSize=32\r\nMenuCount=2\r\n[M0]\r\nMenuName=Tools\r\nLCB=2\r\n"},
        {"lf_no_final_eol", "[S]\nk=1\nother=two words\n[T]\nk=last"},
        {"lone_cr", "[S]\rk=1\ra=2\r[T]\rk=3\r"},
        {"mixed_eol", "a=pre\r\n[S]\rb=2\nc=3\r\n\r\n\n\r[T]\n\rd=4"},
        {"blanks", " \t[ Sec ]\t\r\n\t key \t= \t value with  spaces \t \r\n\v\fk2\v=\f2\f\r\n"},
        {"before_section", "pre=1\r\nflag\r\n=nameless\r\n[S]\r\npre=2\r\n"},
        {"quotes", "[Q]\r\nk1='x'\r\nk2=\"y\"\r\nk3='z\"\r\nk4='\r\nk5=''\r\nk6=\"\"\r\nk7='a'b'\r\n"
                   "k8=\" spaced \"\r\nk9='''\r\nk10='abcdef'\r\nk11=\"ab\r\nk12=ab'\r\n"},
        {"comments", ";c=1\r\n[S]\r\n;k=2\r\n k=3 ; trailing\r\n# hash=4\r\n ;indented=5\r\n"},
        {"dup_sections", "[S]\r\na=1\r\n[s]\r\nb=2\r\n[ S ]\r\na=3\r\n[T]\r\nt=1\r\n[t]\r\nt=2\r\nu=3\r\n"},
        {"dup_keys", "[S]\r\nk=1\r\nK=2\r\n k = 3\r\nx\r\nx=4\r\n"},
        {"no_equals", "[S]\r\nflag\r\nk\r\nk=2\r\n  spaced flag  \r\n"},
        {"empty_keys", "[S]\r\n=a\r\n=b\r\n = c\r\nx=1\r\n=d\r\n[T]\r\n;c\r\n=e\r\n"},
        {"headers", "[a]b]\r\nk=1\r\n[c]junk\r\nk=2\r\n[unclosed\r\nk=3\r\n[ e ] ; note\r\nk=4\r\n"
                    "[]\r\nk=5\r\n[  ]\r\nk=6\r\n[[x]]\r\nk=7\r\n[f=g]\r\nk=8\r\n[=]\r\nk=9\r\n"},
        {"ctrl_z", "[S]\x1a\r\nk\x1a=\x1av\x1a\r\n\x1a[T]\x1a\r\n\x1a"},
        {"eight_bit", "[S\xE4" "ction]\r\nK\xEBy=v\xE4lue\xFF\r\n\x80\x81\x8D=\x9F\r\n[\xC4\xD6\xDC]\r\n"
                      "\xFF=1\r\n\x8A=2\r\n\xA0k\xA0=\xA0v\xA0\r\n\x85" "k=\x85\r\n"},
        {"bom", "\xEF\xBB\xBFk=pre\r\n[S]\r\nk=v\r\n[T]\r\nx= spaced \r\n"},
        {"nul", "[S]\r\nk=ab\0cd\r\na\0b=1\r\n\0\r\n=n\r\n[T\0U]\r\nx=1\r\n[\0]\r\ny=2\r\n"s},
        {"long_value", "[S]\r\nk=" + longValue + "\r\nq='" + longValue + "'\r\n"},
        {"empty", ""},
        {"only_blanks", " \r\n\t\r\n\x1a"},
        {"header_only", "[S]"},
        {"controls", "[S]\r\n\x1c" "k\x1d=\x1e" "v\x1f\r\n\x7fk\x7f=\x7fv\x7f\r\nk2=v\x0b\x0c\r\n"},
        {"equals_in_value", "[S]\r\nk=a=b\r\nk2 == c\r\n==d\r\n"},
        {"inner_blanks", "[S  T]\r\nk\tk=1\r\nk k=2\r\n[U\tV]\r\nx y = z w \r\n"},
        {"semicolon_names", "[;S]\r\n;k=1\r\n[S;]\r\nk;=2\r\n"},
        {"ini_like_program", "[GLOBAL]\r\nIconSize=32\r\nSelfAutostart=1\r\nMenuCount=1\r\n\r\n"
                             "; menus\r\n[M0]\r\nIconPfad=C:\\x.ico\r\nMenuName=Work\r\nItemCount=1\r\n"
                             "[M0I1]\r\nPfad={065,000}\r\nIsPIDL=1\r\nDescription=\"Quoted\"\r\n"},
    };
}

// Files for the wide functions, as the UTF-8 text of their UTF-16 form: names and
// values in Cyrillic (with case partners), Greek, CJK, an emoji (a surrogate pair), a
// combining accent, Unicode blanks that are no profile blanks, and unpaired surrogates
// (kept as three-byte sequences).
inline std::vector<File> UnicodeFiles()
{
    const std::string cyr = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // Привет
    const std::string cyrUpper = "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2";  // ПРИВЕТ
    const std::string emoji = "\xF0\x9F\x98\x80", cjk = "\xE6\x97\xA5\xE6\x9C\xAC";
    std::string longValue;
    for (int i = 0; i < 1030; ++i) longValue += emoji;
    return {
        {"cyrillic", "[" + cyr + "]\r\n" + cyr + "=" + cyrUpper + "\r\nk=" + cyr + "\r\n[" + cyrUpper + "]\r\nx=1\r\n"},
        {"mixed", "[S]\r\n\xCE\xB1\xCE\xB2=" + cjk + "\r\n" + cjk + "=" + emoji + emoji + "\r\n"
                  "e\xCC\x81=\xCC\x81\r\nq=\"" + emoji + "\"\r\n[" + emoji + "]\r\nk=" + emoji + "x\r\n"},
        {"unicode_blanks", "[S]\r\n\xE2\x80\x83k\xC2\xA0=\xE3\x80\x80v\xE2\x80\xA8\r\n\xEF\xBB\xBFz=2\r\n"},
        {"lone_surrogates", "[S]\r\nk=a\xED\xA0\xBD\r\nl=\xED\xB8\x80" "b\r\n\xED\xA0\x80=x\r\n"},
        {"emoji_long", "[S]\r\nk=" + longValue + "\r\nq='" + longValue + "'\r\n"},
        {"second_mark", "\xEF\xBB\xBFk=1\r\n[S]\r\nk=2\r\n"},
    };
}

// Names found in the bytes: bracketed names, and the text before '=' of other lines,
// both raw and trimmed, so every lookup rule (blanks, case, duplicates) gets exercised.
struct Names {
    std::set<std::string> sections;
    std::set<std::string> keys;
};

inline std::string AsciiToggled(std::string s)
{
    for (char& c : s)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
    return s;
}

inline void AddNameVariants(std::set<std::string>& out, std::string raw)
{
    raw = raw.substr(0, raw.find('\0'));
    size_t b = raw.find_first_not_of(" \t\x0b\x0c\x1a");
    size_t e = raw.find_last_not_of(" \t\x0b\x0c\x1a");
    std::string trimmed = b == std::string::npos ? std::string() : raw.substr(b, e - b + 1);
    if (trimmed.empty() || trimmed.size() > 40) return;
    out.insert(trimmed);
    out.insert(AsciiToggled(trimmed));
    out.insert(" " + trimmed + "\t");
}

inline Names NamesIn(const std::string& bytes)
{
    Names names;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        size_t open = line.find('['), close = line.rfind(']');
        if (open != std::string::npos && close != std::string::npos && close > open)
            AddNameVariants(names.sections, line.substr(open + 1, close - open - 1));
        AddNameVariants(names.keys, line.substr(0, line.find('=')));
    }
    names.sections.insert({"  ", "NoSuchSection"});
    names.keys.insert({"  ", "nosuchkey"});
    return names;
}

struct Probe {
    std::string section, key, def;
    size_t size;
};

// Every section name with every key name, with defaults rotating so that they meet
// missing keys, and (withSizes) a second probe with a short buffer.
inline std::vector<Probe> ProbesFor(const Names& names, bool withSizes = true)
{
    static const char* const defaults[] = {"", "dflt", "dflt  ", "   ", "'qd'", "\"q  \"", " x\t ", "d \t"};
    static const size_t sizes[] = {2048, 1, 2, 3, 4, 5, 7, 12};
    std::vector<Probe> probes;
    size_t n = 0;
    for (const auto& s : names.sections)
        for (const auto& k : names.keys) {
            probes.push_back({s, k, defaults[n % 8], 2048});
            if (withSizes) probes.push_back({s, k, defaults[(n / 8 + 3) % 8], sizes[n % 8]});
            ++n;
        }
    return probes;
}

struct Write {
    std::string section, key, value;
};

inline const std::vector<std::string>& WriteValues()
{
    static const std::vector<std::string> values = {
        "v", "  lead", "trail  ", " \t both \t ", "'q'", "\"dq\"", "'half", "", "a=b",
        "8bit \xE4\xFF\x80\x81", "x\r\ny=2", "line\n[Injected]\nz=3", "\r\n", "tail\r", "semi;colon",
        "[br]", "\x1a" "ctrlz", "v\x0b", "same", "same", "quoted 'inner' text", std::string(300, 'w')};
    return values;
}

// A deterministic pseudo-random sequence of writes over the names of a file plus new
// names, odd ones included (blanks, case, '=', ']', a line break).
inline std::vector<Write> WriteSequence(const Names& names, uint32_t seed, size_t count)
{
    std::vector<std::string> sections(names.sections.begin(), names.sections.end());
    std::vector<std::string> keys(names.keys.begin(), names.keys.end());
    for (const char* s : {"New", "new ", "M1I3", " Other\t", "br]acket", "Sec\r\nInj", "\xC4" "8bit"})
        sections.push_back(s);
    for (const char* k : {"NewKey", " spaced key ", "a=b", "[k]", ";semi", "\xE4k", "K\nL"})
        keys.push_back(k);
    const auto& values = WriteValues();
    uint32_t x = seed * 2654435761u + 1;
    auto next = [&x](size_t n) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return static_cast<size_t>(x % n);
    };
    std::vector<Write> writes;
    for (size_t i = 0; i < count; ++i)
        writes.push_back({sections[next(sections.size())], keys[next(keys.size())], values[next(values.size())]});
    return writes;
}

}  // namespace profile_cases
