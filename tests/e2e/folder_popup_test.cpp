// Folders shown as menus in the popups of the real program, driven from outside with the
// keyboard: copies of recorder.exe in the folders write down which copy started and in
// which folder; the popup's menu windows are counted to see submenus open and close.
#include "app_test.h"
#include "recorder_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Entry {
    std::string description;
    std::string pfad;
    bool folderMenu = true;
};

class FolderPopupE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        folder = sandbox->Folder().File("Shown\\");
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        // Every copy, in whatever folder, records into one file.
        log = sandbox->Folder().File("records.log");
        SetEnvironmentVariableA("MGW_RECORD", log.c_str());
    }
    void TearDown() override
    {
        AppTest::TearDown();
        SetEnvironmentVariableA("MGW_RECORD", nullptr);
        Sleep(100);  // started copies may still be writing when the folder goes
    }

    void Recorder(const std::string& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const
    {
        const std::string path = folder + name;
        ASSERT_TRUE(CopyFileA(RecorderExe().c_str(), path.c_str(), FALSE)) << path;
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));
    }

    // One menu: either entries or, when `menuFolder` is set, that folder's contents.
    void Start(const std::vector<Entry>& entries, const std::string& menuFolder = {})
    {
        std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=0", "MenuCount=1",
                               "[M0]", "MenuName=Folders", "LCB=1", "ItemCount=" + std::to_string(entries.size())});
        if (!menuFolder.empty()) ini += Ini({"MenuFolder=" + menuFolder});
        for (size_t i = 0; i < entries.size(); ++i)
            ini += Ini({"[M0I" + std::to_string(i + 1) + "]", "Pfad=" + entries[i].pfad, "IconNum=-99",
                        "Description=" + entries[i].description, "Startmode=1",
                        entries[i].folderMenu ? "FolderMenu=1" : "FolderMenu=0"});
        Launch(ini);
    }

    size_t MenuWindows() const
    {
        size_t n = 0;
        for (HWND window : app->TopWindows()) n += IsWindowVisible(window) && WindowClass(window) == "#32768";
        return n;
    }

    // The popup opened as a right click on the icon does.
    bool Open()
    {
        HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Folders", false}, 5000);
        if (!icon || !Post(icon, 1027, 0, WM_RBUTTONUP) || !app->WaitForPopup()) return false;
        // Typed keys go to the foreground thread: the program takes the foreground for its popup.
        return WaitUntil([&] {
            DWORD pid = 0;
            GetWindowThreadProcessId(GetForegroundWindow(), &pid);
            return pid == app->Id();
        }, 2000);
    }

    // The keys typed one by one: d down, r right (a submenu opens), l left and x escape (it
    // closes), \n enter, capitals as letters. False when a submenu did not open or close.
    bool Keys(const std::string& keys, DWORD settleMs = 300)
    {
        for (char key : keys) {
            const size_t before = MenuWindows();
            PressKeys({key == 'd' ? WORD{VK_DOWN} : key == 'r' ? WORD{VK_RIGHT} : key == 'l' ? WORD{VK_LEFT}
                       : key == 'x' ? WORD{VK_ESCAPE} : key == '\n' ? WORD{VK_RETURN} : WORD(key)});
            const bool opens = key == 'r', closes = key == 'l' || key == 'x';
            const size_t expected = before + opens - closes;
            if ((opens || closes) && !WaitUntil([&] { return MenuWindows() == expected; }, 5000)) {
                ADD_FAILURE() << "after '" << key << "' of \"" << keys << "\": " << MenuWindows() << " menu windows";
                return false;
            }
            if (opens) Sleep(settleMs);  // a submenu shown before its listing came opens again
        }
        return true;
    }

    // Typed after opening the popup: the one new record, which names `exe` started in `in`.
    void ExpectStarts(const std::string& keys, const std::string& exe, const std::string& in)
    {
        const size_t before = ReadRecorderLog(log).size();
        ASSERT_TRUE(Open() && Keys(keys)) << keys;
        const std::vector<RecorderRecord> records = WaitForRecords(log, before + 1);
        ASSERT_EQ(records.size(), before + 1) << keys;
        EXPECT_NE(records.back().commandLine.find("\\" + exe), std::string::npos)
            << keys << ": " << records.back().commandLine;
        EXPECT_TRUE(SameFolder(records.back().directory, in)) << keys << ": " << records.back().directory;
        EXPECT_TRUE(app->WaitForPopupGone()) << keys;
        Sleep(300);
        EXPECT_EQ(ReadRecorderLog(log).size(), before + 1) << keys << ": started once";
    }

    std::string folder, log;
};

TEST_F(FolderPopupE2e, AFolderEntryListsFoldersThenFilesInTheShellsOrderAndStartsThemInTheirFolder)
{
    for (const char* name : {"beta 10.exe", "Alpha.exe", "beta 2.exe"}) Recorder(name);
    // Shown, they would come first.
    Recorder("Aaa hidden.exe", FILE_ATTRIBUTE_HIDDEN);
    Recorder("Aab system.exe", FILE_ATTRIBUTE_SYSTEM);
    const std::string sub = folder + "Sub\\";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    Recorder("Sub\\gamma.exe");
    Start({{"Shown &folder", folder}});

    // "Open folder" is selected as the submenu opens, a separator below it.
    ExpectStarts("drdrlrd\n", "gamma.exe", sub);
    struct Case { const char* keys; const char* exe; };
    for (const Case& c : {Case{"drdd\n", "Alpha.exe"}, Case{"drddd\n", "beta 2.exe"}, Case{"drdddd\n", "beta 10.exe"}})
        ExpectStarts(c.keys, c.exe, folder);
    // A letter only one name begins with chooses it (a subfolder opens); one of several selects the first.
    for (const Case& c : {Case{"drA", "Alpha.exe"}, Case{"drB\n", "beta 2.exe"}}) ExpectStarts(c.keys, c.exe, folder);
    ExpectStarts("drSd\n", "gamma.exe", sub);
    // The entry's own mnemonic opens its submenu rather than the folder.
    ExpectStarts("FA", "Alpha.exe", folder);

    Recorder("Aardvark.exe");
    Sleep(1500);  // the change notice
    ExpectStarts("drdd\n", "Aardvark.exe", folder);
    ExpectStarts("drddd\n", "Alpha.exe", folder);
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

TEST_F(FolderPopupE2e, AMenuThatFollowsAFolderListsItAboveTheCommandsThatStillWork)
{
    for (const char* name : {"One.exe", "Two.exe"}) Recorder(name);
    // Its own entry is not shown while it follows the folder.
    Start({{"Own entry", RecorderExe(), false}}, folder);

    ExpectStarts("ddd\n", "Two.exe", folder);
    ASSERT_TRUE(Open() && Keys("S"));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(app->WaitForPopupGone());
    ASSERT_TRUE(Post(settings, WM_CLOSE));
    // The window system moves the foreground away from it a moment later: keys typed
    // before that would follow it.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings) && GetForegroundWindow() != settings; }));
    Sleep(500);
    ExpectStarts("dd\n", "One.exe", folder);
}

TEST_F(FolderPopupE2e, AFolderOfFiveThousandFilesOpensWithinMomentsAndATypedLetterChoosesItsOnlyMatch)
{
    for (int k = 0; k < 5000; ++k) {
        const std::string name = folder + "file " + std::to_string(k) + ".txt";
        UniqueHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_NE(file.get(), INVALID_HANDLE_VALUE) << name;
    }
    Recorder("zzz.exe");
    Start({{"Many", folder}});

    // Listed, the submenu takes far more room than the note shown while the folder is read.
    auto listed = [&] {
        for (HWND window : app->TopWindows()) {
            const RECT r = ScreenPlace(window);
            if (IsWindowVisible(window) && WindowClass(window) == "#32768" &&
                (r.bottom - r.top > 400 || r.right - r.left > 600))
                return true;
        }
        return false;
    };
    // Opened first while the folder is read on a worker, then again from the listing kept.
    for (const char* keys : {"xx", ""}) {
        ASSERT_TRUE(Open());
        const DWORD asked = GetTickCount();
        ASSERT_TRUE(Keys("dr", 0) && WaitUntil(listed, 5000));
        EXPECT_LT(GetTickCount() - asked, 3000u) << keys;
        ASSERT_TRUE(Keys(keys));
    }
    Sleep(300);
    const size_t before = ReadRecorderLog(log).size();
    ASSERT_TRUE(Keys("Z"));
    const std::vector<RecorderRecord> records = WaitForRecords(log, before + 1);
    ASSERT_EQ(records.size(), before + 1);
    EXPECT_NE(records.back().commandLine.find("\\zzz.exe"), std::string::npos) << records.back().commandLine;
    EXPECT_TRUE(app->WaitForPopupGone());
}

TEST_F(FolderPopupE2e, AFolderThatCannotBeReadShowsANoteThatStartsNothingAndThePopupStaysResponsive)
{
    Recorder("Rec.exe");
    Start({{"Missing", folder + "Nowhere"}, {"Share", "\\\\unreachable.invalid\\share"},
           {"Recorder", folder + "Rec.exe", false}});
    // Enter on the greyed note below "Open folder" closes the popup, as on any greyed item.
    ASSERT_TRUE(Open() && Keys("drd\n"));
    EXPECT_TRUE(app->WaitForPopupGone());
    EXPECT_TRUE(app->NoMessageBoxFor(500));
    EXPECT_TRUE(ReadRecorderLog(log).empty());
    ExpectStarts("drldrxd\n", "Rec.exe", folder);
}

}  // namespace
