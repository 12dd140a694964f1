// The configuration file and the Run value, on Wine's real file system and registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/config_win.h"
#include "config/model.h"
#include "win/text_conversion.h"

namespace {

const char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<std::string> RunValue()
{
    char data[1024] = {};
    DWORD size = sizeof(data), type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    LONG rc = RegQueryValueExA(key, "Marigoldwick", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::string(data);
}

void SetRunValue(const std::string& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Marigoldwick", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "mgw-config-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount()) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        IniFile = dir_ + "mgoldwk.ini";
        ReleaseMenus(MenuList);
        Konfig = TKonfig{};
        NewMenuImages = {};
    }
    void TearDown() override
    {
        ReleaseMenus(MenuList);
        SetFileAttributesA(IniFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(IniFile.c_str());
        RemoveDirectoryA((IniFile + ".~tmp").c_str());
        RemoveDirectoryA(dir_.c_str());
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Marigoldwick");
            RegCloseKey(key);
        }
    }

    void MakeModel()
    {
        Konfig.IconSize = 16;
        Konfig.AskBeforeQuit = true;
        TOneMenu& menu = NewMenu(MenuList);
        menu.MenuName = "Programs";
        auto item = std::make_unique<TOneItem>();
        item->Pfad = "C:\\windows\\notepad.exe";
        item->Description = "Notepad";
        item->Startmode = 1;
        AddItem(menu, std::move(item));
    }

    std::string dir_;
};

}  // namespace

TEST_F(ConfigFileTest, MissingFileLoadsEmptyAndIsNotCreated)
{
    EXPECT_TRUE(LoadConfig());
    EXPECT_TRUE(MenuList.empty());
    EXPECT_EQ(Konfig.IconSize, 32);
    EXPECT_EQ(GetFileAttributesA(IniFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ConfigFileTest, SaveThenLoadGivesTheSameModel)
{
    MakeModel();
    ASSERT_TRUE(SaveConfig());
    ReleaseMenus(MenuList);
    Konfig = TKonfig{};
    ASSERT_TRUE(LoadConfig());
    ASSERT_EQ(MenuList.size(), 1u);
    EXPECT_EQ(Konfig.IconSize, 16);
    EXPECT_EQ(MenuList[0]->MenuName, "Programs");
    ASSERT_EQ(MenuList[0]->Items.size(), 1u);
    EXPECT_EQ(MenuList[0]->Items[0]->Description, "Notepad");
    EXPECT_EQ(MenuList[0]->Items[0]->Startmode, 1);
    // The system's own reader agrees with what was written.
    char value[64] = {};
    GetPrivateProfileStringA("M0I1", "Pfad", "", value, sizeof(value), IniFile.c_str());
    EXPECT_STREQ(value, "C:\\windows\\notepad.exe");
}

TEST_F(ConfigFileTest, UnreadableFileIsALoadError)
{
    CreateDirectoryA(IniFile.c_str(), nullptr);  // a folder where the file should be
    EXPECT_FALSE(LoadConfig());
    EXPECT_FALSE(SaveConfig());
    RemoveDirectoryA(IniFile.c_str());
}

TEST_F(ConfigFileTest, ReadOnlyFileIsNotTouchedAndRunValueStays)
{
    const std::string before = "[GLOBAL]\r\nMenuCount=0\r\n; mine\r\n";
    WriteFileBytes(IniFile, before);
    ASSERT_TRUE(SetFileAttributesA(IniFile.c_str(), FILE_ATTRIBUTE_READONLY));
    SetRunValue("marker");
    MakeModel();
    Konfig.SelfAutostart = false;  // a successful save would remove the value

    EXPECT_FALSE(SaveConfig());
    EXPECT_EQ(ReadFileBytes(IniFile), before);
    EXPECT_EQ(RunValue(), "marker");
}

TEST_F(ConfigFileTest, FailedWriteLeavesThePreviousFileWhole)
{
    const std::string before = "[GLOBAL]\r\nMenuCount=0\r\n";
    WriteFileBytes(IniFile, before);
    CreateDirectoryA((IniFile + ".~tmp").c_str(), nullptr);  // the temporary file cannot be made
    SetRunValue("marker");
    MakeModel();

    EXPECT_FALSE(SaveConfig());
    EXPECT_EQ(ReadFileBytes(IniFile), before);
    EXPECT_EQ(RunValue(), "marker");
}

TEST_F(ConfigFileTest, RunValueFollowsSelfAutostart)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    MakeModel();

    // An earlier version's bare path, here in capitals, is replaced by the quoted one.
    std::string upper = self;
    SetRunValue(CharUpperA(upper.data()));
    Konfig.SelfAutostart = true;
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(RunValue(), "\"" + std::string(self) + "\"");

    Konfig.SelfAutostart = false;
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(RunValue(), std::nullopt);

    // Removing a value that is not there is no failure.
    EXPECT_TRUE(UpdateRunKey());
}

namespace {

// NUL-separated names as GetPrivateProfileStringA lists them.
std::vector<std::string> NameList(const char* section, const std::string& path)
{
    std::vector<char> buffer(65536);
    DWORD n = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), 65536, path.c_str());
    std::vector<std::string> names;
    for (size_t at = 0; at < n; at += names.back().size() + 1) names.emplace_back(buffer.data() + at);
    return names;
}

std::string ReadA(const std::string& section, const std::string& key, const std::string& path)
{
    char value[4096] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", value, sizeof(value), path.c_str());
    return value;
}

}  // namespace

// Code-page texts (Ä, €) save to the same bytes after a load, in a folder named in
// Cyrillic too. A Cyrillic path turns the file into UTF-16LE, in which the system's
// 8-bit reader finds every other value unchanged; the program loads it back exactly.
TEST_F(ConfigFileTest, CyrillicNameTurnsTheFileIntoUtf16ThatTheSystemStillReads)
{
    const std::wstring folder = Wide(dir_) + L"\u041F\u0430\u043F\u043A\u0430";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    IniFile = Utf8(folder) + "\\mgoldwk.ini";
    const std::string copy = dir_ + "copy.ini";  // where the 8-bit reader finds the file
    auto reload = [&copy] {
        ReleaseMenus(MenuList);
        EXPECT_TRUE(LoadConfig());
        CopyFileW(Wide(IniFile).c_str(), Wide(copy).c_str(), FALSE);
        return ReadFileBytes(copy);
    };
    MakeModel();
    MenuList[0]->MenuName = "\xC3\x84pfel \xE2\x82\xAC";
    ASSERT_TRUE(SaveConfig());
    const std::string codePage = reload();
    EXPECT_NE(codePage.find("MenuName=\xC4pfel \x80\r\n"), std::string::npos);
    EXPECT_EQ(MenuList.at(0)->MenuName, "\xC3\x84pfel \xE2\x82\xAC");
    ASSERT_TRUE(SaveConfig());
    EXPECT_EQ(reload(), codePage);

    const std::string cyrillic = "C:\\\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt";  // Привет.txt
    MenuList[0]->Items[0]->Pfad = cyrillic;
    ASSERT_TRUE(SaveConfig());
    const std::string unicode = reload();
    EXPECT_EQ(unicode.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(MenuList.at(0)->Items.at(0)->Pfad, cyrillic);
    wchar_t wide[64] = {};
    GetPrivateProfileStringW(L"M0I1", L"Pfad", L"", wide, 64, Wide(copy).c_str());
    EXPECT_EQ(Utf8(wide), cyrillic);
    const std::string before = dir_ + "before.ini";
    WriteFileBytes(before, codePage);
    int values = 0;
    for (const auto& section : NameList(nullptr, before))
        for (const auto& key : NameList(section.c_str(), before))
            if (section != "M0I1" || key != "Pfad") {
                EXPECT_EQ(ReadA(section, key, copy), ReadA(section, key, before)) << section << " " << key;
                ++values;
            }
    EXPECT_GE(values, 20);
    for (const std::string& file : {before, copy}) DeleteFileA(file.c_str());
    DeleteFileW(Wide(IniFile).c_str());
    RemoveDirectoryW(folder.c_str());
}
