#include <gtest/gtest.h>

#include <random>

#include "../support/text_cases.h"
#include "config/config_document.h"
#include "config/config_file.h"
#include "config/model.h"
#include "text/unicode.h"

namespace {

// Records which pictures a menu was given.
class FakeImages : public MenuImages {
public:
    int Count() const override { return static_cast<int>(separators.size()); }
    int AddEntryImage(const TOneItem& item) override
    {
        separators.push_back(item.IsSeparator());
        return Count() - 1;
    }
    std::vector<bool> separators;
};

MenuImagesFactory Fakes()
{
    return [] { return std::make_unique<FakeImages>(); };
}

struct Loaded {
    bool ok = false;
    TKonfig konfig;
    TMenuList menus;
};

Loaded Load(const std::string& text)
{
    Loaded l;
    l.ok = ReadConfig(ProfileFile(text), l.konfig, l.menus, Fakes());
    return l;
}

std::string Save(const TKonfig& konfig, const TMenuList& menus, std::string existing = "")
{
    ProfileFile file(std::move(existing));
    WriteConfig(file, konfig, menus);
    return file.Bytes();
}

const std::string Desktop(2, '\0');

}  // namespace

TEST(ConfigRead, MissingFileGivesDefaultsAndNoMenus)
{
    Loaded l = Load("");
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.konfig.IconSize, 32);
    EXPECT_TRUE(l.konfig.SelfAutostart);
    EXPECT_TRUE(l.konfig.SingleLeftClick);
    EXPECT_TRUE(l.konfig.MenuBreakIfPossible);
    EXPECT_TRUE(l.konfig.AskBeforeQuit);
    EXPECT_FALSE(l.konfig.UseToolsMenu);
    EXPECT_EQ(l.konfig.ToolsMenuCfg, 0xFFFFFF);
    EXPECT_TRUE(l.menus.empty());
}

TEST(ConfigRead, MissingSectionsAndKeysTakeTheirDefaults)
{
    Loaded l = Load("[GLOBAL]\nMenuCount=3\n[M0]\nMenuName=\nItemCount=1\n[M2]\nMenuName=Third\n");
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.menus.size(), 3u);
    EXPECT_EQ(l.menus[0]->MenuName, "");  // present but empty is not the default
    EXPECT_EQ(l.menus[1]->MenuName, "Menu");
    EXPECT_EQ(l.menus[1]->LCB, 2);
    EXPECT_EQ(l.menus[1]->Hotkey, 0);
    EXPECT_EQ(l.menus[1]->IconPfad, "");
    EXPECT_TRUE(l.menus[1]->Items.empty());
    EXPECT_EQ(l.menus[2]->MenuName, "Third");

    ASSERT_EQ(l.menus[0]->Items.size(), 1u);
    const TOneItem& item = *l.menus[0]->Items[0];
    EXPECT_EQ(item.Pfad, "");
    EXPECT_FALSE(item.IsPIDL);
    EXPECT_EQ(item.IconNum, -99);
    EXPECT_EQ(item.Startmode, 0);  // starts hidden, as the file says nothing
    EXPECT_EQ(item.AutoStartmode, 0);
    EXPECT_FALSE(item.Autostart);
}

TEST(ConfigRead, ValuesAreTruncatedToTheirFields)
{
    Loaded l = Load("[GLOBAL]\nIconSize=300\nMenuCount=1\nToolsMenuCfg=$FF\n"
                    "[M0]\nLCB=0x3\nHotkey=70000\nIconNum=-4\nItemCount=1\n"
                    "[M0I1]\nPfad=C:\\x.exe\nIsPIDL=yes\nAutostart=2\nStartmode=65539\n");
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.konfig.IconSize, 44);
    EXPECT_EQ(l.konfig.ToolsMenuCfg, 255);
    EXPECT_EQ(l.menus[0]->LCB, 3);
    EXPECT_EQ(l.menus[0]->Hotkey, 4464);
    EXPECT_EQ(l.menus[0]->IconNum, -4);
    const TOneItem& item = *l.menus[0]->Items[0];
    EXPECT_FALSE(item.IsPIDL);  // "yes" is no number: the default
    EXPECT_TRUE(item.Autostart);
    EXPECT_EQ(item.Startmode, 3);
}

TEST(ConfigRead, CountsAreCappedAndReported)
{
    Loaded many = Load("[GLOBAL]\nMenuCount=2147483647\n[M0]\nItemCount=1000000000\n");
    EXPECT_FALSE(many.ok);
    ASSERT_EQ(many.menus.size(), static_cast<size_t>(MaxMenus));
    EXPECT_EQ(many.menus[0]->Items.size(), static_cast<size_t>(MaxItemsPerMenu));

    Loaded negative = Load("[GLOBAL]\nMenuCount=-5\n");
    EXPECT_TRUE(negative.ok);
    EXPECT_TRUE(negative.menus.empty());

    Loaded exact = Load("[GLOBAL]\nMenuCount=50\n[M3]\nItemCount=1900\n");
    EXPECT_TRUE(exact.ok);
    EXPECT_EQ(exact.menus.size(), 50u);
    EXPECT_EQ(exact.menus[3]->Items.size(), 1900u);
}

TEST(ConfigRead, BadIdentifierListsArePassedOverAndTheRestLoads)
{
    Loaded l = Load("[GLOBAL]\nMenuCount=2\n[M0]\nItemCount=5\n"
                    "[M0I1]\nPfad=first\n"
                    "[M0I2]\nPfad={abc}\nIsPIDL=1\n"            // not a number
                    "[M0I3]\nPfad={010,000,000,000}\nIsPIDL=1\n"  // element runs past the end
                    "[M0I4]\nIsPIDL=1\n"                          // no bytes, no terminator
                    "[M0I5]\nPfad={004,000,065,066,000,000}\nIsPIDL=1\nDescription=good\n"
                    "[M1]\nMenuName=after\n");
    EXPECT_FALSE(l.ok);
    ASSERT_EQ(l.menus.size(), 2u);
    ASSERT_EQ(l.menus[0]->Items.size(), 2u);
    EXPECT_EQ(l.menus[0]->Items[0]->Pfad, "first");
    EXPECT_EQ(l.menus[0]->Items[1]->Description, "good");
    EXPECT_EQ(l.menus[0]->Items[1]->Pfad, std::string("\x04\x00\x41\x42\x00\x00", 6));
    EXPECT_EQ(l.menus[0]->Items[1]->ImageIndex, 1);
    EXPECT_EQ(l.menus[1]->MenuName, "after");
}

TEST(ConfigRead, SeparatorsGetTheSeparatorPicture)
{
    Loaded l = Load("[GLOBAL]\nMenuCount=1\n[M0]\nItemCount=3\n"
                    "[M0I1]\nPfad=MarigoldwickCommand{-}\n"
                    "[M0I2]\nPfad=MarigoldwickCommand{-} \n"  // trailing blank is trimmed by the reader
                    "[M0I3]\nPfad=marigoldwickcommand{-}\n");
    ASSERT_EQ(l.menus[0]->Items.size(), 3u);
    auto* images = static_cast<FakeImages*>(l.menus[0]->Images.get());
    EXPECT_EQ(images->separators, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(l.menus[0]->Items[2]->ImageIndex, 2);
}

TEST(ConfigWrite, NewFileHasSectionsAndKeysInTableOrder)
{
    TKonfig k{32, true, false, true, false, 31, true};
    TMenuList menus;
    TOneMenu& m = NewMenu(menus, Fakes());
    m.MenuName = "Tools";
    auto item = std::make_unique<TOneItem>();
    item->Pfad = "C:\\a.exe";
    AddItem(m, std::move(item));

    const std::string text = Save(k, menus);
    const char* order[] = {"[GLOBAL]", "IconSize=32", "SelfAutostart=0", "SingleLeftClick=1",
                           "MenuBreakIfPossible=1", "AskBeforeQuit=1", "UseToolsMenu=0",
                           "ToolsMenuCfg=31", "MenuCount=1", "[M0]", "IconPfad=", "IconNum=0",
                           "MenuName=Tools", "LCB=2", "Hotkey=0", "ItemCount=1", "[M0I1]",
                           "Pfad=C:\\a.exe", "IsPIDL=0", "IconPfad=", "IconNum=-99", "Description=",
                           "Parameters=", "Autostart=0", "Startmode=0", "AutoStartmode=0"};
    size_t pos = 0;
    for (const char* line : order) {
        size_t found = text.find(line, pos);
        ASSERT_NE(found, std::string::npos) << line << " after " << pos << " in\n" << text;
        pos = found + 1;
    }
}

TEST(ConfigWrite, EveryFieldSurvivesSaveAndLoad)
{
    std::mt19937 rng(11);
    auto text = [&](size_t max) {
        std::string s(rng() % max, ' ');
        for (char& c : s) c = static_cast<char>('!' + rng() % 90);
        return s;
    };
    TKonfig k{64, false, true, false, true, static_cast<int32_t>(rng()), false};
    TMenuList menus;
    for (int i = 0; i < 6; ++i) {
        TOneMenu& m = NewMenu(menus, Fakes());
        m.MenuName = text(20);
        m.IconPfad = text(40);
        m.IconNum = static_cast<int32_t>(rng());
        m.LCB = static_cast<uint8_t>(rng());
        m.Hotkey = static_cast<uint16_t>(rng());
        for (int j = 0; j < i * 7; ++j) {
            auto item = std::make_unique<TOneItem>();
            item->IsPIDL = rng() % 3 == 0;
            if (item->IsPIDL) {
                std::string element(2 + rng() % 40, 'e');
                element[0] = static_cast<char>(element.size());
                element[1] = 0;
                item->Pfad = element + std::string("\x05\x00\xff\x80\x00\x00\x00", 7);
            } else {
                item->Pfad = j % 5 == 0 ? SeparatorMarker : text(200);
            }
            item->IconPfad = text(30);
            item->IconNum = static_cast<int32_t>(rng());
            item->Startmode = static_cast<uint16_t>(rng());
            item->AutoStartmode = static_cast<uint16_t>(rng());
            item->Autostart = rng() % 2;
            item->Parameters = text(50);
            item->Description = text(60);
            AddItem(m, std::move(item));
        }
    }

    Loaded l = Load(Save(k, menus));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.konfig.IconSize, k.IconSize);
    EXPECT_EQ(l.konfig.SelfAutostart, k.SelfAutostart);
    EXPECT_EQ(l.konfig.SingleLeftClick, k.SingleLeftClick);
    EXPECT_EQ(l.konfig.MenuBreakIfPossible, k.MenuBreakIfPossible);
    EXPECT_EQ(l.konfig.UseToolsMenu, k.UseToolsMenu);
    EXPECT_EQ(l.konfig.ToolsMenuCfg, k.ToolsMenuCfg);
    EXPECT_EQ(l.konfig.AskBeforeQuit, k.AskBeforeQuit);
    ASSERT_EQ(l.menus.size(), menus.size());
    for (size_t i = 0; i < menus.size(); ++i) {
        const TOneMenu& a = *menus[i];
        const TOneMenu& b = *l.menus[i];
        EXPECT_EQ(a.MenuName, b.MenuName);
        EXPECT_EQ(a.IconPfad, b.IconPfad);
        EXPECT_EQ(a.IconNum, b.IconNum);
        EXPECT_EQ(a.LCB, b.LCB);
        EXPECT_EQ(a.Hotkey, b.Hotkey);
        ASSERT_EQ(a.Items.size(), b.Items.size());
        for (size_t j = 0; j < a.Items.size(); ++j) {
            const TOneItem& x = *a.Items[j];
            const TOneItem& y = *b.Items[j];
            EXPECT_EQ(x.Pfad, y.Pfad);
            EXPECT_EQ(x.IsPIDL, y.IsPIDL);
            EXPECT_EQ(x.IconPfad, y.IconPfad);
            EXPECT_EQ(x.IconNum, y.IconNum);
            EXPECT_EQ(x.Startmode, y.Startmode);
            EXPECT_EQ(x.AutoStartmode, y.AutoStartmode);
            EXPECT_EQ(x.Autostart, y.Autostart);
            EXPECT_EQ(x.Parameters, y.Parameters);
            EXPECT_EQ(x.Description, y.Description);
            EXPECT_EQ(x.ImageIndex, y.ImageIndex);
        }
    }
}

TEST(ConfigWrite, StaleSectionsStayAndAreIgnored)
{
    TKonfig k{};
    TMenuList menus;
    for (int i = 0; i < 5; ++i) NewMenu(menus, Fakes()).MenuName = "m" + std::to_string(i);
    std::string first = Save(k, menus);
    menus.pop_back();
    menus.pop_back();
    std::string second = Save(k, menus, first);
    EXPECT_NE(second.find("[M3]"), std::string::npos);
    EXPECT_NE(second.find("MenuName=m4"), std::string::npos);
    EXPECT_NE(second.find("MenuCount=3"), std::string::npos);
    EXPECT_EQ(Load(second).menus.size(), 3u);
}

TEST(ConfigWrite, UnknownLinesOfAnExistingFileAreKept)
{
    const std::string before = "; my notes\r\n[GLOBAL]\r\nIconSize = 16\r\nMyOwnKey=keep me\r\n\r\n[Other]\r\nx=1\r\n";
    TKonfig k{16, true, true, true, false, 0, true};
    std::string after = Save(k, TMenuList{}, before);
    EXPECT_EQ(after.rfind("; my notes\r\n[GLOBAL]\r\n", 0), 0u);
    EXPECT_NE(after.find("MyOwnKey=keep me\r\n"), std::string::npos);
    EXPECT_NE(after.find("[Other]\r\nx=1\r\n"), std::string::npos);
    EXPECT_TRUE(Load(after).ok);
    EXPECT_EQ(Load(after).konfig.IconSize, 16);
}

TEST(ConfigWrite, LineBreaksInTextsCannotInjectKeys)
{
    TKonfig k{};
    TMenuList menus;
    TOneMenu& m = NewMenu(menus, Fakes());
    auto item = std::make_unique<TOneItem>();
    item->Description = "evil\r\n[GLOBAL]\r\nMenuCount=0";
    AddItem(m, std::move(item));
    Loaded l = Load(Save(k, menus));
    ASSERT_EQ(l.menus.size(), 1u);
    EXPECT_EQ(l.menus[0]->Items[0]->Description, "evil  [GLOBAL]  MenuCount=0");
}

// Quotes and blanks anywhere in any text field come back exactly; a second save of
// what was loaded leaves every byte as the first save wrote it.
TEST(ConfigWrite, TextsWithQuotesAndBlanksAnywhereSurviveSaveAndLoad)
{
    const std::vector<std::string> texts = text_cases::Texts();
    TMenuList menus;
    text_cases::PutTexts(menus, texts, Fakes());
    const std::string saved = Save(TKonfig{}, menus);
    Loaded l = Load(saved);
    ASSERT_TRUE(l.ok);
    text_cases::ExpectTextsBack(texts, l.menus);
    EXPECT_EQ(Save(l.konfig, l.menus, saved), saved);

    // The first texts, line by line: only those the reader would change get quotes.
    for (const char* line : {"MenuName=\"\"C:\\Program Files\\x.exe\"\"", "IconPfad=\"'single'\"", "Pfad=\"",
                             "IconPfad='", "Description='a\"",
                             "Parameters=\"\"C:\\My Files\\a.txt\" \"C:\\My Files\\b.txt\"\""})
        EXPECT_NE(saved.find("\r\n" + std::string(line) + "\r\n"), std::string::npos) << line;
}

// A quoted value comes back whole up to 2046 characters. A longer text that needs the
// quotes reads back as its first 2046 characters, at once and after any further save;
// one that needs none is written as it stands, as before.
TEST(ConfigWrite, LongTextsNeedingQuotesAreCutWhereTheyStillReadBack)
{
    const std::vector<std::string> texts = text_cases::LongTexts();
    TMenuList menus;
    text_cases::PutTexts(menus, texts, Fakes());
    const std::string saved = Save(TKonfig{}, menus);
    Loaded l = Load(saved);
    const std::vector<std::string> back = text_cases::TextsIn(l.menus);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(back[i], texts[i].substr(0, 2046)) << i;
    EXPECT_EQ(back[3], texts[3]);
    EXPECT_EQ(back[4], texts[4].substr(0, 2047));
    EXPECT_NE(saved.find("\r\nDescription=" + texts[4] + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nIconPfad=\"" + texts[1].substr(0, 2046) + "\"\r\n"), std::string::npos);

    // Texts that needed quotes save again to the same bytes.
    const std::string again = Save(l.konfig, l.menus, saved);
    EXPECT_EQ(again.substr(0, again.find("\r\nDescription=")), saved.substr(0, saved.find("\r\nDescription=")));
}

TEST(ConfigNames, SectionNames)
{
    EXPECT_EQ(SectionName(0, 0), "M0");
    EXPECT_EQ(SectionName(7, -1), "M7");
    EXPECT_EQ(SectionName(0, 1), "M0I1");
    EXPECT_EQ(SectionName(3, 12), "M3I12");
}

// The configuration file in the code page, UTF-8 and UTF-16LE: what is read into the
// model, and in which encoding a save leaves the file.
namespace {

const Windows1252 Cp1252;
// By hand: 8-bit names (ü, ß, €, Ä, en dash), a comment, a foreign section, LF line ends.
const std::string CodePageFile = "; von Hand\n[GLOBAL]\nMenuCount=1\n[M0]\nMenuName=Gr\xFC\xDF" "e\nItemCount=1\n"
                                 "[M0I1]\nPfad=C:\\\x80uro.exe\nDescription=\xC4pfel \x96 Birnen\n[Fremd]\nk=\xFC\n";
const std::string Cyrillic = "C:\\\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt";  // Привет.txt
const std::string Emoji = "\xF0\x9F\x98\x80";

Loaded Decode(const std::string& bytes)
{
    Loaded m;
    m.ok = ConfigDocument(bytes, Cp1252).Read(m.konfig, m.menus, nullptr);
    return m;
}

std::string Encode(const Loaded& m, std::string existing, ConfigEncoding* encoding = nullptr)
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

TOneItem& First(const Loaded& m) { return *m.menus.at(0)->Items.at(0); }

}  // namespace

TEST(ConfigEncoding, CodePageTextsStayByteForByteAndOthersTurnTheFileIntoUtf16)
{
    Loaded m = Decode(CodePageFile);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.menus[0]->MenuName, "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(First(m).Description, "\xC3\x84pfel \xE2\x80\x93 Birnen");
    const std::string before = Encode(m, CodePageFile);
    EXPECT_NE(before.find("\nPfad=C:\\\x80uro.exe\n"), std::string::npos);
    EXPECT_EQ(Encode(Decode(before), before), before);

    // Cyrillic, Greek, CJK, an emoji, a combining accent, and Łódź (best fit: "Lodz").
    for (const std::string& name : std::vector<std::string>{Cyrillic, "\xCE\xB1", "\xE6\x97\xA5", Emoji, "e\xCC\x81",
                                                            "\xC5\x81\xC3\xB3" "d\xC5\xBA"}) {
        Loaded changed = Decode(before);
        First(changed).Parameters = name;
        ConfigEncoding encoding{};
        const std::string saved = Encode(changed, before, &encoding);
        EXPECT_EQ(encoding, ConfigEncoding::Utf16) << name;
        EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE") << name;
        Loaded back = Decode(saved);
        EXPECT_EQ(First(back).Parameters, name);
        EXPECT_FALSE(ModelDiffersFromFile(saved, back.konfig, back.menus, Cp1252));
        // Every other text survived: without the name the file is the code-page one again.
        First(back).Parameters.clear();
        EXPECT_TRUE(ModelDiffersFromFile(saved, back.konfig, back.menus, Cp1252));
        EXPECT_EQ(Encode(back, saved), before) << name;
    }
}

TEST(ConfigEncoding, UnicodeFilesReadWholeCharactersAndUtf8BecomesUtf16)
{
    const std::string text = "[GLOBAL]\r\nMenuCount=1\r\n[M0]\r\nMenuName=" + Cyrillic + "\r\nItemCount=1\r\n[M0I1]\r\n"
                             "Pfad=x\xED\xA0\xBDy\r\nDescription=" + std::string(2046, 'd') + Emoji + "\r\n";
    for (const std::string& bytes : {Utf16File(text), "\xEF\xBB\xBF" + text}) {
        Loaded m = Decode(bytes);
        ASSERT_TRUE(m.ok);
        EXPECT_EQ(m.menus[0]->MenuName, Cyrillic);
        EXPECT_EQ(First(m).Pfad, "x\xEF\xBF\xBDy");  // an unpaired surrogate never reaches the model
        // 2047 UTF-16 units end inside the emoji: its half goes.
        EXPECT_EQ(First(m).Description, std::string(2046, 'd'));
        // Outside Wine the 8-bit reader takes UTF-8 for code-page bytes: UTF-16 it is.
        EXPECT_EQ(Encode(m, bytes).substr(0, 2), "\xFF\xFE");
    }
}

// Texts cut for the quotes they need keep whole characters, counted in UTF-16 units.
TEST(ConfigEncoding, LongTextsAreCutAfterWholeCharacters)
{
    Loaded m = Decode("");
    auto& menu = NewMenu(m.menus, nullptr);
    std::string cyrillic = " ";
    for (int i = 0; i < 2100; ++i) cyrillic += "\xD0\x96";
    for (const std::string& text : {" " + std::string(2044, 'e') + Emoji + " ", cyrillic + " "}) {
        AddItem(menu, std::make_unique<TOneItem>()).Description = text;
    }
    const std::string saved = Encode(m, "");
    Loaded back = Decode(saved);
    EXPECT_EQ(back.menus[0]->Items.at(0)->Description, " " + std::string(2044, 'e'));
    EXPECT_EQ(back.menus[0]->Items.at(1)->Description, Utf8PrefixChars(cyrillic, 2046));
    EXPECT_EQ(Encode(back, saved), saved);
}

// A save that rewrites the first line must not leave code-page bytes that begin like a mark.
TEST(ConfigEncoding, SavedFilesLoadAsTheyWereSaved)
{
    const std::string nul(1, '\0'), global = "[GLOBAL]\nMenuCount=";
    const std::pair<std::string, size_t> cases[] = {
        {"\t\xFF\xFE" + nul + "\r" + global + "2", 2},
        {"\f\xFF\xFE" + nul + "\n" + global + "3", 3},
        {"[]\n\xEF\xBB\xBFk=v\n" + global + "1\n[M0]\nMenuName=\xE9", 1},
        {Utf16File("\xC3\xBF\xC3\xBE\n" + global + "1"), 1},  // ÿþ, in the code page FF FE
    };
    for (const auto& [bytes, menus] : cases) {
        Loaded m = Decode(bytes);
        const std::string saved = Encode(m, bytes);
        Loaded back = Decode(saved);
        ASSERT_EQ(m.menus.size(), menus);
        EXPECT_EQ(back.menus.size(), menus) << saved;
        for (size_t i = 0; i < std::min(menus, back.menus.size()); ++i)
            EXPECT_EQ(back.menus[i]->MenuName, m.menus[i]->MenuName);
        EXPECT_EQ(Encode(back, saved), saved);
    }
}

// Quick-launch folders: what a hand-edited file gives, and what a save writes.
TEST(ConfigRead, QuickLaunchFoldersAreClampedOrPassedOver)
{
    using F = std::vector<QuickFolder>;
    const struct {
        std::string keys;
        F folders;
        bool ok;
    } cases[] = {
        {"", {}, true},
        {"QuickFolderCount=2\nQuickFolder0=C:\\Apps\nQuickFolder1=D:\\Docs\nQuickFolderDepth1=0\n"
         "QuickFolderMasks1=*.pdf\n",
         {{"C:\\Apps", 1, "*.exe;*.lnk"}, {"D:\\Docs", 0, "*.pdf"}}, true},
        {"QuickFolderCount=3\nQuickFolder0=\nQuickFolder1=a\nQuickFolderDepth1=9\nQuickFolderMasks1=\n"
         "QuickFolder2=b\nQuickFolderDepth2=-1\n",
         {{"a", MaxQuickFolderDepth, "*.exe;*.lnk"}, {"b", 0, "*.exe;*.lnk"}}, true},
        {"QuickFolderCount=-4\nQuickFolder0=a\n", {}, true},
        {"QuickFolderCount=2147483647\nQuickFolder0=a\nQuickFolder100=lost\n", {{"a", 1, "*.exe;*.lnk"}}, false},
    };
    for (const auto& c : cases) {
        Loaded l = Load("[GLOBAL]\n" + c.keys);
        EXPECT_EQ(l.ok, c.ok) << c.keys;
        EXPECT_EQ(l.konfig.QuickFolders, c.folders) << c.keys;
    }
}

TEST(ConfigWrite, QuickLaunchFoldersSurviveSaveAndLoadAndAreWrittenOnlyOnceThereAreAny)
{
    const std::string today = "[GLOBAL]\r\nIconSize=16\r\nSelfAutostart=0\r\nSingleLeftClick=1\r\nMenuBreakIfPossible=1\r\n"
                              "AskBeforeQuit=0\r\nUseToolsMenu=0\r\nToolsMenuCfg=31\r\nMenuCount=0\r\n";
    Loaded m = Decode(today);
    EXPECT_EQ(Encode(m, today), today);

    m.konfig.QuickFolders = {{" C:\\Spaced ", 2, "*.exe"}, {Cyrillic, 0, "*.pdf;*.lnk"}};
    const std::string saved = Encode(m, today);
    EXPECT_EQ(Decode(saved).konfig.QuickFolders, m.konfig.QuickFolders);
    EXPECT_FALSE(ModelDiffersFromFile(saved, m.konfig, m.menus, Cp1252));

    // Fewer folders: the count says how many; removing the last writes a count of none.
    m.konfig.QuickFolders.erase(m.konfig.QuickFolders.begin());
    const std::string fewer = Encode(m, saved);
    EXPECT_EQ(Decode(fewer).konfig.QuickFolders, m.konfig.QuickFolders);
    m.konfig.QuickFolders.clear();
    EXPECT_TRUE(ModelDiffersFromFile(fewer, m.konfig, m.menus, Cp1252));
    EXPECT_TRUE(Decode(Encode(m, fewer)).konfig.QuickFolders.empty());
}
