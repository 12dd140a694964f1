// ProfileFile against Wine's own GetPrivateProfileStringA / WritePrivateProfileStringA
// on the same bytes, and in its UTF-16 form against GetPrivateProfileStringW /
// WritePrivateProfileStringW on UTF-16LE files. Every case gets a file name of its own:
// Wine caches profiles by path.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../support/profile_cases.h"
#include "../support/text_cases.h"
#include "config/config_file.h"
#include "config/profile.h"
#include "config/system_profile_win.h"
#include "text/code_page.h"
#include "text/unicode.h"

namespace {

using profile_cases::Names;
using profile_cases::Write;
using text_cases::Escaped;

class ProfileDiff : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "mgw-profile-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount()) + "\\";
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    }

    void TearDown() override
    {
        for (const auto& f : files_) DeleteFileA(f.c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    std::string FreshPath()
    {
        files_.push_back(dir_ + "p" + std::to_string(files_.size()) + ".ini");
        return files_.back();
    }

    // The file's time is set two minutes back: Wine then keeps its parsed copy between
    // calls instead of reading a file younger than two seconds again at every call.
    std::string NewFile(const std::string& bytes)
    {
        std::string path = FreshPath();
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
        t.QuadPart -= 120ull * 10000000ull;
        ft = {t.LowPart, t.HighPart};
        SetFileTime(h, nullptr, nullptr, &ft);
        CloseHandle(h);
        return path;
    }

    static std::string ReadBytes(const std::string& path)
    {
        std::string bytes;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return bytes;
        char chunk[65536];
        DWORD got = 0;
        while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got) bytes.append(chunk, got);
        CloseHandle(h);
        return bytes;
    }

    // Wide mode: texts are UTF-8 (unpaired surrogates as WTF-8), files UTF-16LE.
    std::string FileBytes(const std::string& text) const
    {
        if (!wide_) return text;
        std::string bytes = "\xFF\xFE";
        for (char16_t u : Utf16FromWtf8(text)) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        return bytes;
    }
    ProfileFile Engine(const std::string& text) const
    {
        return ProfileFile(text, wide_ ? ProfileUnits::Utf16 : ProfileUnits::Bytes);
    }
    static std::wstring W(const std::string& text)
    {
        std::u16string units = Utf16FromWtf8(text);
        return std::wstring(units.begin(), units.end());
    }
    void WineSet(const Write& w, const std::string& path) const
    {
        if (wide_)
            EXPECT_TRUE(WritePrivateProfileStringW(W(w.section).c_str(), W(w.key).c_str(), W(w.value).c_str(),
                                                   W(path).c_str()));
        else
            EXPECT_TRUE(WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(), w.value.c_str(), path.c_str()));
    }

    std::string WineGet(const std::string& path, const profile_cases::Probe& p) const
    {
        if (wide_) {
            std::vector<wchar_t> buffer(p.size + 16, L'#');
            DWORD n = GetPrivateProfileStringW(W(p.section).c_str(), W(p.key).c_str(), W(p.def).c_str(), buffer.data(),
                                               static_cast<DWORD>(p.size), W(path).c_str());
            return Wtf8FromUtf16(std::u16string(buffer.begin(), buffer.begin() + n));
        }
        std::vector<char> buffer(p.size + 16, '#');
        DWORD n = GetPrivateProfileStringA(p.section.c_str(), p.key.c_str(), p.def.c_str(), buffer.data(),
                                           static_cast<DWORD>(p.size), path.c_str());
        return std::string(buffer.data(), n);
    }

    // Compares the probes on one file, and on a second file of our bytes when given;
    // the first few differences are reported in full.
    void ExpectSameReads(const std::string& what, const std::string& winePath, const ProfileFile& ours,
                         const std::vector<profile_cases::Probe>& probes, const std::string& oursPath = {})
    {
        int differences = 0;
        for (const auto& p : probes) {
            std::string wine = WineGet(winePath, p);
            std::string mine = ours.GetString(p.section, p.key, p.def, p.size);
            std::string mineByWine = oursPath.empty() ? mine : WineGet(oursPath, p);
            if (wine == mine && wine == mineByWine) continue;
            if (++differences <= 5)
                ADD_FAILURE() << what << ": [" << Escaped(p.section) << "] \"" << Escaped(p.key) << "\" default \""
                              << Escaped(p.def) << "\" size " << p.size << "\n  Wine: \"" << Escaped(wine)
                              << "\"\n  ours: \"" << Escaped(mine) << "\"\n  Wine reading our bytes: \""
                              << Escaped(mineByWine) << "\"";
        }
        EXPECT_EQ(differences, 0) << what << " (" << probes.size() << " probes)";
    }

    // Applies the writes through Wine to one file and through ProfileFile, then reads
    // every probe from a fresh copy of Wine's file, from our object, and from a file of
    // our bytes.
    void ExpectSameWrites(const std::string& what, const std::string* initial, const std::vector<Write>& writes,
                          const std::vector<profile_cases::Probe>& probes)
    {
        std::string winePath = initial ? NewFile(FileBytes(*initial)) : FreshPath();
        ProfileFile ours = Engine(initial ? *initial : std::string());
        for (const auto& w : writes) {
            WineSet(w, winePath);
            ours.SetString(w.section, w.key, w.value);
        }
        std::string wineBytes = ReadBytes(winePath);
        if (wide_) {
            EXPECT_EQ(wineBytes.substr(0, 2), "\xFF\xFE") << what << ": Wine left UTF-16";
        }
        std::string wineCopy = NewFile(wineBytes);
        std::string oursFile = NewFile(FileBytes(ours.Bytes()));
        ExpectSameReads(what, wineCopy, ours, probes, oursFile);
    }

    // The same, probing every known name and every written one with each other.
    void ExpectSameWrites(const std::string& what, const std::string* initial, const std::vector<Write>& writes,
                          Names names)
    {
        for (const auto& w : writes) {
            names.sections.insert(w.section);
            names.keys.insert(w.key);
        }
        ExpectSameWrites(what, initial, writes, profile_cases::ProbesFor(names, false));
    }

    std::string dir_;
    std::vector<std::string> files_;
    bool wide_ = false;
};

}  // namespace

TEST_F(ProfileDiff, AwkwardFilesReadAlike)
{
    for (const auto& file : profile_cases::AwkwardFiles()) {
        auto probes = profile_cases::ProbesFor(profile_cases::NamesIn(file.bytes));
        ExpectSameReads(file.name, NewFile(file.bytes), ProfileFile(file.bytes), probes);
    }
}

TEST_F(ProfileDiff, MissingFileGivesTheDefaults)
{
    std::string missing = FreshPath();
    auto probes = profile_cases::ProbesFor(profile_cases::NamesIn("[S]\r\nk=1\r\n"));
    ExpectSameReads("missing file", missing, ProfileFile(), probes);
}

// Each byte 0x01-0xFF as a possible blank around names and values, alone and inside
// section and key names (looked up with its case partner too), inside a value and at
// the end of the default; then in written names and values.
TEST_F(ProfileDiff, EveryByteReadsAndWritesAlike)
{
    for (int code = 1; code <= 0xFF; ++code) {
        const std::string c(1, static_cast<char>(code));
        const std::string partner(1, static_cast<char>(code ^ 0x20));
        const std::string sec = "S" + c + "T", key = "k" + c + "k", def = "d" + c;
        std::string bytes = "[" + sec + "]\r\n" + c + "k" + c + "=" + c + "v" + c + "\r\n" + key + "=a" + c +
                            "b\r\n[" + c + "]\r\nz=1\r\n[" + c + "x]\r\nq" + c + "=" + c + "\r\n";
        std::vector<profile_cases::Probe> probes = {
            {sec, "k", def, 2048},          {sec, key, def, 2048},         {"s" + partner + "t", key, def, 2048},
            {sec, "K" + partner + "K", def, 2048}, {sec, c + "k", def, 2048}, {c, "z", def, 2048},
            {" ", "z", def, 2048},          {c + "x", "q", def, 2048},     {c + "x", "q" + c, def, 2048},
            {partner + "x", "q", def, 2048}, {"x", "q", def, 2048},        {sec, "nokey", def, 2},
        };
        std::string what = "byte " + Escaped(c);
        ExpectSameReads(what, NewFile(bytes), ProfileFile(bytes), probes);
        std::vector<Write> writes = {{sec, key, c + "w" + c}, {sec, "new" + c, "n" + c + "n"},
                                     {"N" + c, c + "n", "w" + c}, {c, "z", c + "2"}};
        probes.insert(probes.end(), {{sec, "new" + c, def, 2048}, {sec, "new", def, 2048}, {"N" + c, c + "n", def, 2048},
                                     {"N", "n", def, 2048}, {"N" + c, "n", def, 2048}});
        ExpectSameWrites(what + " written", &bytes, writes, probes);
    }
}

TEST_F(ProfileDiff, WriteSequencesReadBackAlike)
{
    auto nonAscii = [](const std::string& s) {
        return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    };
    for (const auto& file : profile_cases::AwkwardFiles()) {
        // Wine reads and writes a file with a UTF-8 mark as UTF-8: only ASCII has to match.
        bool utf8 = file.bytes.rfind("\xEF\xBB\xBF", 0) == 0;
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            Names names = profile_cases::NamesIn(file.bytes);
            auto writes = profile_cases::WriteSequence(names, seed, 16);
            if (utf8) {
                std::erase_if(names.sections, nonAscii);
                std::erase_if(names.keys, nonAscii);
                std::erase_if(writes, [&](const Write& w) {
                    return nonAscii(w.section) || nonAscii(w.key) || nonAscii(w.value);
                });
            }
            ExpectSameWrites(file.name + " seed " + std::to_string(seed), &file.bytes, writes, names);
        }
    }
    Names none = profile_cases::NamesIn("");
    ExpectSameWrites("missing file", nullptr, profile_cases::WriteSequence(none, 7, 16), none);
}

// Writing the value a key already has leaves Wine's file as it is: nameless headers
// and NUL bytes, which a save would drop, keep counting.
TEST_F(ProfileDiff, UnchangedValueLeavesTheFileAsItIs)
{
    for (const auto& file : profile_cases::AwkwardFiles()) {
        std::vector<Write> writes;
        if (file.name == "headers") writes = {{"c", "k", "2"}, {"e", "K", "4"}};
        if (file.name == "nul") writes = {{"S", "k", "ab"}, {" s ", "a", "1"}};
        if (!writes.empty()) ExpectSameWrites(file.name, &file.bytes, writes, profile_cases::NamesIn(file.bytes));
    }
}

// A key that starts with the UTF-8 mark, written first in the file, makes Wine read
// the file as UTF-8 from then on.
TEST_F(ProfileDiff, KeyStartingWithTheUtf8MarkWrittenFirst)
{
    Names names = profile_cases::NamesIn("k=1\r\n[S]\r\nk=2\r\n");
    names.keys.insert({"mark", "\xEF\xBB\xBFmark"});
    for (const std::string bytes : {"", "\r\n[S]\r\nk=2\r\n"})
        ExpectSameWrites("mark", &bytes, {{" ", "\xEF\xBB\xBFmark", "v"}, {"S", "k", "3"}}, names);
}

TEST_F(ProfileDiff, ProgramLikeSaveReadsBackAlike)
{
    std::vector<Write> writes;
    for (const char* key : {"IconSize", "SelfAutostart", "MenuCount"}) writes.push_back({"GLOBAL", key, "1"});
    for (int i = 1; i <= 3; ++i)
        for (const char* key : {"Pfad", "IsPIDL", "Description", "Parameters"})
            writes.push_back({"M0I" + std::to_string(i), key, std::string(key) + " of " + std::to_string(i)});
    writes.push_back({"GLOBAL", "MenuCount", "2"});
    ExpectSameWrites("fresh save", nullptr, writes, Names{});
    for (const auto& file : profile_cases::AwkwardFiles())
        if (file.name == "ini_like_program")
            ExpectSameWrites("save over a program file", &file.bytes, writes, profile_cases::NamesIn(file.bytes));
}

// Lines a write does not change come out byte for byte, in their order.
TEST_F(ProfileDiff, UntouchedLinesKeepTheirBytes)
{
    auto lines = [](const std::string& bytes) {
        std::vector<std::string> out;
        size_t pos = 0;
        while (pos < bytes.size()) {
            size_t end = bytes.find_first_of("\r\n", pos);
            if (end == std::string::npos) end = bytes.size();
            out.push_back(bytes.substr(pos, end - pos));
            pos = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
        return out;
    };
    auto trimmed = [](const std::string& s) {
        size_t b = s.find_first_not_of(" \t\x0b\x0c\x1a");
        return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(" \t\x0b\x0c\x1a") - b + 1);
    };
    for (const auto& file : profile_cases::AwkwardFiles()) {
        // NUL bytes and nameless headers are rewritten at the first write, as Wine does.
        if (file.bytes.find('\0') != std::string::npos || file.name == "headers") continue;
        ProfileFile f(file.bytes);
        std::vector<std::string> writtenKeys;
        for (const auto& w : profile_cases::WriteSequence(profile_cases::NamesIn(file.bytes), 11, 30)) {
            if (w.value.find_first_of("\r\n") != std::string::npos) continue;
            f.SetString(w.section, w.key, w.value);
            writtenKeys.push_back(trimmed(w.key.substr(0, w.key.find('='))));
        }
        auto after = lines(f.Bytes());
        size_t at = 0;
        for (const auto& line : lines(file.bytes)) {
            std::string content = trimmed(line);
            bool mayChange = false;
            for (const auto& k : writtenKeys)
                mayChange |= _strnicmp(content.c_str(), k.c_str(), k.size()) == 0;
            if (mayChange) continue;
            while (at < after.size() && after[at] != line) ++at;
            EXPECT_LT(at, after.size()) << file.name << ": line \"" << Escaped(line) << "\" lost or changed";
            at = std::min(at + 1, after.size());
        }
    }
}

// What the program saves reads back through the system's own reader exactly as through
// ours: every text of at most 2046 characters unchanged, longer ones cut alike. The
// same save made with the system's writer (fewer texts: it is slow) reads back alike.
TEST_F(ProfileDiff, SavedTextsReadBackThroughTheSystem)
{
    std::vector<std::string> texts = text_cases::Texts();
    TMenuList menus;
    text_cases::PutTexts(menus, texts, {});
    ProfileFile ours;
    WriteConfig(ours, TKonfig{}, menus);
    TKonfig konfig;
    TMenuList back;
    ASSERT_TRUE(ReadConfig(SystemSource(NewFile(ours.Bytes())), konfig, back, {}));
    text_cases::ExpectTextsBack(texts, back);

    menus.clear();
    text_cases::PutTexts(menus, text_cases::LongTexts(), {});
    ProfileFile longOnes;
    WriteConfig(longOnes, TKonfig{}, menus);
    TMenuList bySystem, byOurs;
    ASSERT_TRUE(ReadConfig(SystemSource(NewFile(longOnes.Bytes())), konfig, bySystem, {}));
    ASSERT_TRUE(ReadConfig(longOnes, konfig, byOurs, {}));
    text_cases::ExpectTextsBack(text_cases::TextsIn(byOurs), bySystem);

    texts.resize(42);
    menus.clear();
    text_cases::PutTexts(menus, texts, {});
    std::string path = FreshPath();
    SystemSink sink(path);
    WriteConfig(sink, TKonfig{}, menus);
    EXPECT_TRUE(sink.Ok());
    back.clear();
    ASSERT_TRUE(ReadConfig(SystemSource(NewFile(ReadBytes(path))), konfig, back, {}));
    text_cases::ExpectTextsBack(texts, back);
}

// The same engine on UTF-16LE files, against the wide functions: the awkward files in
// their Windows-1252 reading and files full of characters beyond it. Buffer sizes
// count UTF-16 units, so a short one may end inside a surrogate pair.
TEST_F(ProfileDiff, Utf16FilesReadAndWriteAlikeThroughTheWideFunctions)
{
    wide_ = true;
    const Windows1252 cp;
    std::vector<profile_cases::File> files = profile_cases::UnicodeFiles();
    for (const auto& file : profile_cases::AwkwardFiles()) files.push_back({file.name, cp.ToUtf8(file.bytes)});
    const std::string cyr = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    const std::vector<std::string> unicodeValues = {cyr, "\xF0\x9F\x98\x80", " \xE6\x97\xA5 ", "'\xCE\xB1'",
                                                    "e\xCC\x81", "\xE2\x80\x83pad\xE2\x80\x83"};
    for (const auto& file : files) {
        Names names = profile_cases::NamesIn(file.bytes);
        names.sections.insert({cyr, "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"});  // and in lower case
        names.keys.insert({cyr, "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2", "\xE6\x97\xA5\xE6\x9C\xAC"});
        ExpectSameReads(file.name + " (UTF-16)", NewFile(FileBytes(file.bytes)), Engine(file.bytes),
                        profile_cases::ProbesFor(names));

        auto writes = profile_cases::WriteSequence(names, 5, 16);
        for (size_t i = 0; i < writes.size(); ++i) {
            // The sequence's 8-bit texts in their Windows-1252 reading, every third value Unicode.
            Write& w = writes[i];
            for (std::string* t : {&w.section, &w.key, &w.value})
                if (!IsValidUtf8(*t)) *t = cp.ToUtf8(*t);
            if (i % 3 == 0) w.value = unicodeValues[i / 3 % unicodeValues.size()];
        }
        writes.push_back({cyr, cyr, cyr});
        writes.push_back({"S", "\xF0\x9F\x98\x80", "x\xF0\x9F\x98\x80"});
        ExpectSameWrites(file.name + " (UTF-16) written", &file.bytes, writes, names);
    }
}
