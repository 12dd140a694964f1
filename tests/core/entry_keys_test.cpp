// An entry's working directory, run-as-administrator and submenu flags and a menu's folder
// in the configuration file: files of earlier versions must load and save as they were.
#include <gtest/gtest.h>

#include "config/config_document.h"
#include "config/config_file.h"
#include "config/model.h"

namespace {

// The global values of the file below, as it loads them.
TKonfig Global() { return TKonfig{32, true, true, true, false, 0, true}; }

std::string Save(const TMenuList& menus, std::string existing)
{
    ProfileFile file(std::move(existing));
    WriteConfig(file, Global(), menus);
    return file.Bytes();
}

TMenuList Load(const std::string& bytes)
{
    TKonfig konfig;
    TMenuList menus;
    EXPECT_TRUE(ReadConfig(ProfileFile(bytes), konfig, menus, nullptr));
    return menus;
}

// A file as the version before these keys wrote it: two entries, one a shell item.
const std::string Earlier =
    "[GLOBAL]\r\nIconSize=32\r\nSelfAutostart=1\r\nSingleLeftClick=1\r\nMenuBreakIfPossible=1\r\n"
    "AskBeforeQuit=1\r\nUseToolsMenu=0\r\nToolsMenuCfg=0\r\nMenuCount=1\r\n"
    "[M0]\r\nIconPfad=\r\nIconNum=0\r\nMenuName=Tools\r\nLCB=2\r\nHotkey=0\r\nItemCount=2\r\n"
    "[M0I1]\r\nPfad=C:\\Tools\\edit.exe\r\nIsPIDL=0\r\nIconPfad=\r\nIconNum=-99\r\nDescription=&Edit\r\n"
    "Parameters=-n\r\nAutostart=0\r\nStartmode=1\r\nAutoStartmode=1\r\n"
    "[M0I2]\r\nPfad={020,000,031,080,224,079,208,032,234,058,105,016,162,216,008,000,043,048,048,157,000,000}\r\n"
    "IsPIDL=1\r\nIconPfad=\r\nIconNum=-99\r\nDescription=Computer\r\nParameters=\r\nAutostart=0\r\n"
    "Startmode=1\r\nAutoStartmode=1\r\n";

}  // namespace

TEST(EntryKeys, AnEarlierFileLoadsWithoutThemAndSavesByteIdentical)
{
    TMenuList menus = Load(Earlier);
    ASSERT_EQ(menus.size(), 1u);
    ASSERT_EQ(menus[0]->Items.size(), 2u);
    for (const auto& item : menus[0]->Items) {
        EXPECT_EQ(item->WorkingDir, "");
        EXPECT_FALSE(item->RunAsAdmin);
    }
    EXPECT_EQ(Save(menus, Earlier), Earlier);
    // A new file of the same model holds no such key either.
    std::string fresh = Save(menus, "");
    EXPECT_EQ(fresh.find("WorkingDir"), std::string::npos);
    EXPECT_EQ(fresh.find("RunAsAdmin"), std::string::npos);
    EXPECT_EQ(fresh.find("Folder"), std::string::npos);
}

TEST(EntryKeys, AppearOnlyOnTheEntryThatSetsThemAndReadBack)
{
    TMenuList menus = Load(Earlier);
    menus[0]->Items[1]->WorkingDir = "%TEMP%\\my work";
    menus[0]->Items[1]->RunAsAdmin = true;
    menus[0]->Items[1]->FolderMenu = true;
    menus[0]->MenuFolder = "%USERPROFILE%\\Desktop";
    std::string saved = Save(menus, Earlier);
    // Appended to the menu's and the second entry's sections; the first entry keeps its lines.
    EXPECT_EQ(saved, std::string(Earlier).insert(Earlier.find("[M0I1]"), "MenuFolder=%USERPROFILE%\\Desktop\r\n") +
                         "WorkingDir=%TEMP%\\my work\r\nRunAsAdmin=1\r\nFolderMenu=1\r\n");
    TMenuList again = Load(saved);
    EXPECT_EQ(again[0]->Items[1]->WorkingDir, "%TEMP%\\my work");
    EXPECT_TRUE(again[0]->Items[1]->RunAsAdmin);
    EXPECT_EQ(again[0]->Items[0]->WorkingDir, "");
    EXPECT_FALSE(again[0]->Items[0]->RunAsAdmin);
    EXPECT_TRUE(again[0]->Items[1]->FolderMenu && !again[0]->Items[0]->FolderMenu);
    EXPECT_EQ(again[0]->MenuFolder, "%USERPROFILE%\\Desktop");
    EXPECT_FALSE(ModelDiffersFromFile(saved, Global(), again, Windows1252()));
    EXPECT_TRUE(ModelDiffersFromFile(Earlier, Global(), again, Windows1252()));

    // Each key on its own.
    menus[0]->Items[1]->WorkingDir.clear();
    menus[0]->MenuFolder.clear();
    EXPECT_EQ(Save(menus, Earlier), Earlier + "RunAsAdmin=1\r\nFolderMenu=1\r\n");
}

TEST(EntryKeys, AValueInTheFileIsOverwrittenWhenClearedSoItCannotComeBack)
{
    TMenuList menus = Load(Earlier);
    menus[0]->Items[1]->WorkingDir = "D:\\work";
    menus[0]->Items[1]->RunAsAdmin = true;
    menus[0]->Items[1]->FolderMenu = true;
    menus[0]->MenuFolder = "D:\\apps";
    std::string set = Save(menus, Earlier);
    // The entry is deleted: the first one now writes over the section that held the keys.
    menus[0]->Items.erase(menus[0]->Items.begin() + 1);
    menus[0]->Items[0]->Pfad = "C:\\other.exe";
    std::string moved = Save(menus, set);
    TMenuList again = Load(moved);
    ASSERT_EQ(again[0]->Items.size(), 1u);
    EXPECT_FALSE(ModelDiffersFromFile(moved, Global(), menus, Windows1252()));

    menus[0]->Items.push_back(std::make_unique<TOneItem>());
    menus[0]->MenuFolder.clear();
    std::string cleared = Save(menus, set);
    TMenuList reloaded = Load(cleared);
    ASSERT_EQ(reloaded[0]->Items.size(), 2u);
    EXPECT_EQ(reloaded[0]->Items[1]->WorkingDir, "");
    EXPECT_FALSE(reloaded[0]->Items[1]->RunAsAdmin || reloaded[0]->Items[1]->FolderMenu);
    EXPECT_EQ(reloaded[0]->MenuFolder, "");
    EXPECT_NE(cleared.find("WorkingDir=\r\nRunAsAdmin=0\r\nFolderMenu=0\r\n"), std::string::npos) << cleared;
}
