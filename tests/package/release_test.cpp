// The release as a user gets it, in a Wine prefix that never saw the program: the setup
// program installs silently for the user alone, upgrades over a running copy and
// uninstalls; the portable zip runs from the folder it was unpacked to.
#include "driver.h"
#include "version.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marigoldwick";
constexpr char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The build's release files, beside its bin folder; the test's fixture unpacks the zip.
std::string SetupProgram() { return BesideTestProgram("..\\package\\Marigoldwick-" MGW_VERSION_TEXT "-setup.exe"); }
std::string PortableFolder() { return BesideTestProgram("..\\release-test\\portable\\"); }

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH]{};
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? path : "";
}

// Where the user expects it, whatever the setup program says.
std::string InstallDir() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Marigoldwick\\"; }
std::string StartMenuShortcut() { return ShellFolder(CSIDL_PROGRAMS) + "\\Marigoldwick.lnk"; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out << bytes);
}

std::optional<std::string> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A value under HKEY_CURRENT_USER as text (a DWORD in decimal); none when key or value is missing.
std::optional<std::string> UserValue(const char* keyPath, const char* name)
{
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &raw) != ERROR_SUCCESS) return std::nullopt;
    UniqueKey key(raw);
    char data[1024]{};
    DWORD size = sizeof(data) - 1, type = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<const DWORD*>(data));
    return std::string(data);
}
std::optional<std::string> Entry(const char* name) { return UserValue(UninstallKey, name); }

std::string ShortcutTarget(const std::string& link)
{
    ComPtr<IShellLinkA> shellLink;
    ComPtr<IPersistFile> file;
    std::wstring widePath(link.begin(), link.end());
    char target[MAX_PATH]{};
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink))) ||
        FAILED(shellLink.As(&file)) || FAILED(file->Load(widePath.c_str(), STGM_READ)) ||
        FAILED(shellLink->GetPath(target, MAX_PATH, nullptr, 0)))
        return {};
    return target;
}

// The version resource of a program: its fixed part and its US English texts.
struct FileVersion {
    VS_FIXEDFILEINFO fixed{};
    std::vector<char> block;
    std::string Text(const char* name) const
    {
        void* value = nullptr;
        UINT size = 0;
        std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
        if (!VerQueryValueA(block.data(), path.c_str(), &value, &size) || size == 0) return {};
        return static_cast<const char*>(value);
    }
};

std::optional<FileVersion> ReadFileVersion(const std::string& exe)
{
    DWORD ignored = 0;
    FileVersion version;
    version.block.resize(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    void* fixed = nullptr;
    UINT size = 0;
    if (version.block.empty() || !GetFileVersionInfoA(exe.c_str(), 0, version.block.size(), version.block.data()) ||
        !VerQueryValueA(version.block.data(), "\\", &fixed, &size) || size < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    std::memcpy(&version.fixed, fixed, sizeof(version.fixed));
    return version;
}

std::string EmbeddedManifest(const std::string& exe)
{
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    ScopeGuard unload([module] { FreeLibrary(module); });
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

class Release : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    // The setup program with /S, to its end; its exit code.
    static std::optional<DWORD> InstallSilently()
    {
        std::unique_ptr<AppProcess> setup = AppProcess::Start(SetupProgram(), "/S");
        if (!setup) return std::nullopt;
        return setup->WaitForExit(60000);
    }

    // Menus of the user's own, one named so; the program runs with them without questions.
    static std::string Menus(std::string_view name)
    {
        return Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=1", "MenuCount=1", "[M0]",
                    "MenuName=" + std::string(name), "ItemCount=0"});
    }

    const std::string dir = InstallDir();
    const std::string exe = dir + "mgoldwk.exe";
};

TEST_F(Release, SilentSetupInstallsForTheUserWithShortcutUninstallEntryAndOneVersion)
{
    ASSERT_EQ(InstallSilently(), 0u);
    for (const char* file : {"mgoldwk.exe", "mgoldwk.chm", "readme.txt", "uninstall.exe"})
        EXPECT_TRUE(Exists(dir + file)) << file;
    EXPECT_EQ(lstrcmpiA(ShortcutTarget(StartMenuShortcut()).c_str(), exe.c_str()), 0) << StartMenuShortcut();

    EXPECT_EQ(Entry("DisplayName"), "Marigoldwick " MGW_VERSION_TEXT);
    EXPECT_EQ(Entry("DisplayVersion"), MGW_VERSION_TEXT);
    EXPECT_EQ(Entry("Publisher"), MGW_COMPANY_TEXT);
    EXPECT_EQ(Entry("DisplayIcon"), exe + ",0");
    EXPECT_EQ(Entry("UninstallString"), "\"" + dir + "uninstall.exe\"");
    EXPECT_EQ(Entry("QuietUninstallString"), "\"" + dir + "uninstall.exe\" /S");
    // Kilobytes, rounded up, of the files the setup put there.
    size_t installed = 0;
    for (const char* file : {"mgoldwk.exe", "mgoldwk.chm", "readme.txt", "uninstall.exe"})
        installed += ReadBytes(dir + file).value_or("").size();
    EXPECT_EQ(Entry("EstimatedSize"), std::to_string((installed + 1023) / 1024));

    std::optional<FileVersion> version = ReadFileVersion(exe);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->fixed.dwFileVersionMS, static_cast<DWORD>(MAKELONG(MGW_VERSION_MINOR, MGW_VERSION_MAJOR)));
    EXPECT_EQ(version->fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(version->fixed.dwProductVersionMS, version->fixed.dwFileVersionMS);
    for (const char* name : {"FileVersion", "ProductVersion"}) EXPECT_EQ(version->Text(name), MGW_VERSION_TEXT) << name;
    EXPECT_EQ(version->Text("CompanyName"), MGW_COMPANY_TEXT);
    EXPECT_EQ(version->Text("LegalCopyright"), MGW_COPYRIGHT_TEXT);
    EXPECT_EQ(version->Text("FileDescription"), "Marigoldwick program launcher");
    const std::string quad = std::to_string(MGW_VERSION_MAJOR) + "." + std::to_string(MGW_VERSION_MINOR) + ".0.0";
    EXPECT_NE(EmbeddedManifest(exe).find("name=\"Marigoldwick.Marigoldwick\" version=\"" + quad + "\""),
              std::string::npos);
}

TEST_F(Release, SilentSetupOverTheRunningProgramEndsItCleanlyKeepsItsMenusAndStartsItAgain)
{
    ASSERT_EQ(InstallSilently(), 0u);
    const std::string menus = Menus("Kept");
    ASSERT_TRUE(WriteBytes(dir + "mgoldwk.ini", menus));
    std::unique_ptr<AppProcess> app = AppProcess::Start(exe);
    ASSERT_TRUE(app);
    ASSERT_NE(app->WaitForWindow({"MarigoldwickTrayIcon", "Kept", false}), nullptr) << "its tray icon";

    DWORD start = GetTickCount();
    ASSERT_EQ(InstallSilently(), 0u);
    // Ended as at the end of a session: on its own (a copy that had to be terminated
    // ends with 1), without a question, and at once rather than after the setup's patience.
    EXPECT_EQ(app->WaitForExit(0), 0u);
    EXPECT_LT(GetTickCount() - start, 8000u);
    EXPECT_EQ(ReadBytes(dir + "mgoldwk.ini"), menus);
    EXPECT_TRUE(Exists(exe));

    HWND icon = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (icon = FindWindowA("MarigoldwickTrayIcon", "Kept")) != nullptr; }))
        << "the new copy runs with the kept menus";
    DWORD restarted = 0;
    GetWindowThreadProcessId(icon, &restarted);
    EXPECT_NE(restarted, app->Id());
    HWND main = FindWindowA("THaupt", "Marigoldwick");
    ASSERT_TRUE(main && Post(main, WM_CLOSE));
    EXPECT_TRUE(WaitUntil([] { return !MarigoldwickRunning(); }));
}

TEST_F(Release, SilentUninstallRemovesAllButTheMenus)
{
    ASSERT_EQ(InstallSilently(), 0u);
    const std::string menus = Menus("Kept");
    ASSERT_TRUE(WriteBytes(dir + "mgoldwk.ini", menus));
    // What the program's "start with Windows" option writes.
    HKEY run = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &run, nullptr),
              ERROR_SUCCESS);
    UniqueKey runKey(run);
    ASSERT_EQ(RegSetValueExA(run, "Marigoldwick", 0, REG_SZ, reinterpret_cast<const BYTE*>(exe.c_str()),
                             static_cast<DWORD>(exe.size() + 1)),
              ERROR_SUCCESS);

    std::optional<std::string> quiet = Entry("QuietUninstallString");
    ASSERT_TRUE(quiet && quiet->size() > 2 && quiet->front() == '"');
    size_t close = quiet->find('"', 1);
    std::unique_ptr<AppProcess> uninstall = AppProcess::Start(quiet->substr(1, close - 1), quiet->substr(close + 2));
    ASSERT_TRUE(uninstall);
    // The uninstaller goes on from a copy of itself in %TEMP%: its last step removes the entry.
    EXPECT_TRUE(WaitUntil([&] { return !Exists(dir + "uninstall.exe") && !Entry("DisplayName"); }, 30000));

    for (const char* file : {"mgoldwk.exe", "mgoldwk.chm", "readme.txt"}) EXPECT_FALSE(Exists(dir + file)) << file;
    EXPECT_FALSE(Exists(StartMenuShortcut()));
    EXPECT_FALSE(UserValue(RunKey, "Marigoldwick"));
    EXPECT_EQ(ReadBytes(dir + "mgoldwk.ini"), menus);
}

TEST_F(Release, PortableZipRunsFromTheFolderItIsUnpackedTo)
{
    const std::string folder = PortableFolder();
    for (const char* file : {"mgoldwk.exe", "mgoldwk.chm", "readme.txt"}) EXPECT_TRUE(Exists(folder + file)) << file;
    ASSERT_TRUE(WriteBytes(folder + "mgoldwk.ini", Menus("Portable")));
    std::unique_ptr<AppProcess> app = AppProcess::Start(folder + "mgoldwk.exe");
    ASSERT_TRUE(app);
    HWND main = app->WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_NE(app->WaitForWindow({"MarigoldwickTrayIcon", "Portable", false}), nullptr);
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
}

}  // namespace
