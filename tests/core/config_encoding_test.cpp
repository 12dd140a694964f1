// The configuration file in the code page, UTF-8 and UTF-16LE: what is read into the
// model, and in which encoding a save leaves the file.
#include <gtest/gtest.h>

#include "config/config_document.h"
#include "text/unicode.h"

namespace {

const Windows1252 Cp1252;

// A hand-kept code-page file: 8-bit names (ä, €), a comment, a foreign section, LF
// line ends and keys in another order than the program writes them.
const std::string CodePageFile =
    "; gepflegt von Hand\n[GLOBAL]\nMenuCount=1\nIconSize=16\nSelfAutostart=0\n[M0]\nMenuName=Gr\xFC\xDF" "e\n"
    "ItemCount=2\n[M0I1]\nPfad=C:\\B\xFC" "cher\\\x80uro.exe\nDescription=\xC4pfel \x96 Birnen\n"
    "[M0I2]\nPfad={020,000,031,080,224,079,208,032,234,058,016,105,162,216,008,000,043,048,048,157,000,000}\n"
    "IsPIDL=1\n[Fremd]\nSchl\xFCssel=Wert\n";

const std::string Cyrillic = "C:\\\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt";  // Привет.txt
const std::string Emoji = "\xF0\x9F\x98\x80";                                           // U+1F600

struct Model {
    bool ok = false;
    TKonfig konfig;
    TMenuList menus;
};

Model Load(const std::string& bytes)
{
    Model m;
    m.ok = ConfigDocument(bytes, Cp1252).Read(m.konfig, m.menus, nullptr);
    return m;
}

std::string Save(const Model& m, std::string existing, ConfigEncoding* encoding = nullptr)
{
    ConfigDocument file(std::move(existing), Cp1252);
    file.Write(m.konfig, m.menus);
    if (encoding) *encoding = file.Encoding();
    return file.Bytes();
}

std::string Utf16File(const std::string& utf8)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t u : Utf16FromWtf8(utf8)) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return bytes;
}

TOneItem& Entry(const Model& m, size_t menu, size_t item) { return *m.menus[menu]->Items[item]; }

}  // namespace

TEST(ConfigEncoding, CodePageFileReadsAsUtf8AndSavesByteForByte)
{
    Model m = Load(CodePageFile);
    ASSERT_TRUE(m.ok);
    ASSERT_EQ(m.menus.size(), 1u);
    EXPECT_EQ(m.menus[0]->MenuName, "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(Entry(m, 0, 0).Pfad, "C:\\B\xC3\xBC" "cher\\\xE2\x82\xAC" "uro.exe");
    EXPECT_EQ(Entry(m, 0, 0).Description, "\xC3\x84pfel \xE2\x80\x93 Birnen");
    // Identifier lists stay bytes, whatever the code page makes of them.
    EXPECT_EQ(Entry(m, 0, 1).Pfad.size(), 22u);
    EXPECT_EQ(static_cast<uint8_t>(Entry(m, 0, 1).Pfad[4]), 224);

    // Saving the unchanged model changes the values' spelling only where the program
    // writes its own (missing keys are added), never a foreign or 8-bit byte.
    ConfigEncoding encoding{};
    const std::string saved = Save(m, CodePageFile, &encoding);
    EXPECT_EQ(encoding, ConfigEncoding::CodePage);
    EXPECT_EQ(Save(Load(saved), saved), saved);
    EXPECT_NE(saved.find("[Fremd]\nSchl\xFCssel=Wert\n"), std::string::npos);
    EXPECT_NE(saved.find("\nMenuName=Gr\xFC\xDF" "e\n"), std::string::npos);
    EXPECT_FALSE(ModelDiffersFromFile(saved, m.konfig, m.menus, Cp1252));
}

TEST(ConfigEncoding, AnyNameOutsideTheCodePageTurnsTheFileIntoUtf16)
{
    Model m = Load(CodePageFile);
    const std::string before = Save(m, CodePageFile);
    for (const std::string& name : std::vector<std::string>{Cyrillic, "\xCE\xB1\xCE\xB2", "\xE6\x97\xA5\xE6\x9C\xAC", Emoji, "e\xCC\x81",
                                   "\xC5\x81\xC3\xB3" "d\xC5\xBA"}) {  // Łódź: best fit would give "Lodz"
        Model changed = Load(before);
        Entry(changed, 0, 0).Parameters = name;
        ConfigEncoding encoding{};
        const std::string saved = Save(changed, before, &encoding);
        EXPECT_EQ(encoding, ConfigEncoding::Utf16) << name;
        ASSERT_EQ(saved.substr(0, 2), "\xFF\xFE") << name;
        // Every other text survives the trip through UTF-16: without the name, the file
        // is the code-page one again, byte for byte.
        Model back = Load(saved);
        ASSERT_TRUE(back.ok);
        EXPECT_EQ(Entry(back, 0, 0).Parameters, name);
        Entry(back, 0, 0).Parameters.clear();
        EXPECT_EQ(Save(back, saved), before) << name;
    }
}

TEST(ConfigEncoding, Utf16AndUtf8FilesReadWholeCharacters)
{
    const std::string text = "[GLOBAL]\r\nMenuCount=1\r\n[M0]\r\nMenuName=" + Cyrillic + "\r\nItemCount=1\r\n"
                             "[M0I1]\r\nPfad=" + Emoji + "\r\nDescription=" + std::string(2046, 'd') + Emoji + "\r\n";
    for (const std::string& bytes : {Utf16File(text), "\xEF\xBB\xBF" + text}) {
        Model m = Load(bytes);
        ASSERT_TRUE(m.ok);
        EXPECT_EQ(m.menus[0]->MenuName, Cyrillic);
        EXPECT_EQ(Entry(m, 0, 0).Pfad, Emoji);
        // 2047 units end inside the emoji: the half never reaches the model.
        EXPECT_EQ(Entry(m, 0, 0).Description, std::string(2046, 'd'));
    }
    // An unpaired surrogate of the file turns into U+FFFD, and the file keeps it.
    const std::string lone = Utf16File("[M0]\r\nx=\xED\xA0\xBD\r\n[GLOBAL]\r\nMenuCount=1\r\n");
    Model m = Load(lone);
    EXPECT_TRUE(IsValidUtf8(m.menus[0]->MenuName));
    m.menus[0]->MenuName = Cyrillic;
    EXPECT_NE(Save(m, lone).find(std::string("x\0=\0\x3D\xD8", 6)), std::string::npos);
}

TEST(ConfigEncoding, UnicodeFilesGoBackToTheCodePageWhenItHoldsEverything)
{
    Model m = Load(CodePageFile);
    Entry(m, 0, 0).Description = Cyrillic;
    const std::string unicode = Save(m, CodePageFile);
    ASSERT_EQ(unicode.substr(0, 2), "\xFF\xFE");

    Entry(m, 0, 0).Description = "\xC3\x84pfel";
    ConfigEncoding encoding{};
    const std::string back = Save(m, unicode, &encoding);
    EXPECT_EQ(encoding, ConfigEncoding::CodePage);
    EXPECT_EQ(back, Save(m, CodePageFile));

    // A UTF-8 file becomes code page or UTF-16 alike: outside Wine, the system's 8-bit
    // reader takes UTF-8 bytes for code-page ones.
    const std::string utf8 = "\xEF\xBB\xBF[M0]\r\nMenuName=" + Cyrillic + "\r\n[GLOBAL]\r\nMenuCount=1\r\n";
    Model fromUtf8 = Load(utf8);
    EXPECT_EQ(fromUtf8.menus[0]->MenuName, Cyrillic);
    EXPECT_EQ(Save(fromUtf8, utf8, &encoding).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(encoding, ConfigEncoding::Utf16);
    fromUtf8.menus[0]->MenuName = "Men\xC3\xBC";
    EXPECT_EQ(Save(fromUtf8, utf8, &encoding).substr(0, 12), "[M0]\r\nMenuNa");
    EXPECT_EQ(encoding, ConfigEncoding::CodePage);
}

TEST(ConfigEncoding, ChangesAreFoundInUnicodeFilesToo)
{
    Model m = Load(CodePageFile);
    Entry(m, 0, 0).Pfad = Cyrillic;
    const std::string saved = Save(m, CodePageFile);
    Model loaded = Load(saved);
    EXPECT_FALSE(ModelDiffersFromFile(saved, loaded.konfig, loaded.menus, Cp1252));
    Entry(loaded, 0, 0).Pfad += Emoji;
    EXPECT_TRUE(ModelDiffersFromFile(saved, loaded.konfig, loaded.menus, Cp1252));
    EXPECT_TRUE(ModelDiffersFromFile(CodePageFile, loaded.konfig, loaded.menus, Cp1252));
}

// Texts longer than a value holds are cut after whole characters, counted in UTF-16
// units as the system's reader counts them.
TEST(ConfigEncoding, LongTextsAreCutAfterWholeCharacters)
{
    Model m = Load("");
    auto& menu = NewMenu(m.menus, nullptr);
    for (const std::string& text : {" " + std::string(2044, 'e') + Emoji + Emoji + " ",
                                    " " + [] { std::string s; for (int i = 0; i < 2100; ++i) s += "\xD0\x96"; return s; }() + " "}) {
        auto item = std::make_unique<TOneItem>();
        item->Description = text;  // blanks at both ends: written in quotes, so cut first
        AddItem(menu, std::move(item));
    }
    const std::string saved = Save(m, "");
    Model back = Load(saved);
    ASSERT_EQ(back.menus.at(0)->Items.size(), 2u);
    EXPECT_EQ(Entry(back, 0, 0).Description, " " + std::string(2044, 'e'));
    EXPECT_EQ(Utf8CharCount(Entry(back, 0, 1).Description), 2046u);
    EXPECT_TRUE(IsValidUtf8(Entry(back, 0, 1).Description));
    EXPECT_EQ(Save(back, saved), saved);
}
