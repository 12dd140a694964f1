// The real program's quick-launch box finds what the Start menu holds: shortcuts made in
// the prefix's Start menu before and while it runs, typed by their initials and started
// with Enter (recorder.exe writes down how); an uninstaller is left out. The files of folder
// menus are found too, by file name, placed by menu and folder.
#include "app_test.h"
#include "recorder_log.h"

#include <oleacc.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int Hotkey = VK_F9 + 8192 + 16384;  // Ctrl+Shift+F9 as the file stores it

bool MakeShortcut(const std::string& file, const std::string& target, const std::string& arguments)
{
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> persist;
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void**>(link.GetAddressOf()))) &&
           SUCCEEDED(link->SetPath(Wide(target).c_str())) && SUCCEEDED(link->SetArguments(Wide(arguments).c_str())) &&
           SUCCEEDED(link.As(&persist)) && SUCCEEDED(persist->Save(Wide(file).c_str(), TRUE));
}

class QuickCatalogE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t programs[MAX_PATH] = {};
        ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs)));
        folder = Utf8(programs) + "\\Mgw test " + std::to_string(GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
        recorder = sandbox->Folder().File("recorder.exe");
        ASSERT_TRUE(CopyFileA(RecorderExe().c_str(), recorder.c_str(), FALSE));
        log = sandbox->Folder().File("recorder.log");
    }
    void TearDown() override
    {
        AppTest::TearDown();
        for (const char* name : {"Zebra Quartz Recorder.lnk", "Uninstall Zebra Quartz.lnk", "Yak Umbrella Tool.lnk"})
            DeleteFileW(Wide(folder + name).c_str());
        RemoveDirectoryW(Wide(folder).c_str());
        CoUninitialize();
    }

    // The box, opened by its hotkey, with `letters` typed once it shows `rows` rows for them.
    HWND TypeInBox(std::initializer_list<WORD> letters, LRESULT rows)
    {
        Sleep(300);  // a started copy may hold the foreground a moment
        HWND box = nullptr;
        for (int tries = 0; tries < 5 && !box; ++tries) {
            PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
            box = app->WaitForWindow({"TQuickBox", "", true}, 1000);
        }
        EXPECT_TRUE(box && WaitUntil([&] { return GetForegroundWindow() == box; }, 3000));
        PressKeys(letters);
        // Counted once the letters are in: the empty box listed the latest starts.
        HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
        EXPECT_TRUE(WaitUntil([&] { return WindowText(edit).size() == letters.size(); }, 3000));
        HWND list = FindWindowExA(box, nullptr, "MgwQuickList", nullptr);
        // The catalog fills in while the box is open.
        EXPECT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == rows; }, 15000))
            << SendMessageA(list, LB_GETCOUNT, 0, 0);
        return box;
    }

    // What a screen reader hears of the box's first row: "name, place".
    static std::string FirstRow(HWND box)
    {
        ComPtr<IAccessible> rows;
        VARIANT first{};
        first.vt = VT_I4, first.lVal = 1;
        BSTR name = nullptr;
        AccessibleObjectFromWindow(FindWindowExA(box, nullptr, "MgwQuickList", nullptr), OBJID_CLIENT, IID_IAccessible,
                                   reinterpret_cast<void**>(rows.GetAddressOf()));
        const std::string text = rows && rows->get_accName(first, &name) == S_OK && name ? Utf8(name) : "";
        SysFreeString(name);
        return text;
    }

    std::string folder, recorder, log;
};

TEST_F(QuickCatalogE2e, StartMenuShortcutsAreFoundByInitialsBeforeAndWhileItRunsAndUninstallersAreLeftOut)
{
    ASSERT_TRUE(MakeShortcut(folder + "Zebra Quartz Recorder.lnk", recorder, "zebra"));
    ASSERT_TRUE(MakeShortcut(folder + "Uninstall Zebra Quartz.lnk", recorder, "uninstall"));
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1",
                "QuickLaunchHotkey=" + std::to_string(Hotkey), "[M0]", "MenuName=Tools", "ItemCount=0"}));

    ASSERT_TRUE(TypeInBox({'Z', 'Q', 'R'}, 1));
    PressKeys({VK_RETURN});
    std::vector<RecorderRecord> records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, " zebra")) << records[0].commandLine;

    // "Uninstall Zebra Quartz" would match "unzq"; it is not there.
    HWND box = TypeInBox({'U', 'N', 'Z', 'Q'}, 0);
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }, 3000));

    // Made while the program runs, found within seconds.
    ASSERT_TRUE(MakeShortcut(folder + "Yak Umbrella Tool.lnk", recorder, "yak"));
    ASSERT_TRUE(TypeInBox({'Y', 'U', 'T'}, 1));
    PressKeys({VK_RETURN});
    records = WaitForRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(EndsWith(records[1].commandLine, " yak")) << records[1].commandLine;
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

TEST_F(QuickCatalogE2e, FilesOfFolderMenusAreFoundByFileNamePlacedByMenuAndStartedAndNewOnesAppear)
{
    const std::string scripts = sandbox->Folder().File("Scripts\\"), papers = sandbox->Folder().File("Papers\\");
    for (const std::string& made : {scripts, papers, scripts + "Sub"})
        ASSERT_TRUE(CreateDirectoryW(Wide(made).c_str(), nullptr));
    for (const std::string& copy : {scripts + "Zebra Quartz.exe", scripts + "Zebra hidden.exe", papers + "Zeta Яхта.exe"})
        ASSERT_TRUE(CopyFileW(Wide(recorder).c_str(), Wide(copy).c_str(), FALSE)) << copy;
    ASSERT_TRUE(SetFileAttributesW(Wide(scripts + "Zebra hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=2",
                "QuickLaunchHotkey=" + std::to_string(Hotkey), "[M0]", "MenuName=Tools", "ItemCount=1", "[M0I1]",
                "Pfad=" + scripts, "FolderMenu=1", "[M1]", "MenuName=Papers", "MenuFolder=" + papers, "ItemCount=0"}));

    EXPECT_EQ(FirstRow(TypeInBox({'Z', 'E', 'B'}, 1)), "Zebra Quartz.exe, Tools \u203A Scripts") << "not the hidden one";
    PressKeys({VK_RETURN});
    EXPECT_EQ(FirstRow(TypeInBox({'Z', 'E', 'T', 'A'}, 1)), "Zeta Яхта.exe, Papers") << "named once, as its folder";
    PressKeys({VK_RETURN});
    const std::vector<RecorderRecord> records = WaitForRecords(papers + "recorder.log", 1);
    EXPECT_TRUE(records.size() == 1 && records[0].commandLine.find("Zeta Яхта.exe") != std::string::npos);
    // Written while the program runs, one folder down: found a little later.
    ASSERT_TRUE(sandbox->Folder().Write("Scripts\\Sub\\Quokka Wombat.txt", "q"));
    EXPECT_EQ(FirstRow(TypeInBox({'Q', 'W'}, 1)), "Quokka Wombat.txt, Tools \u203A Sub");
}

}  // namespace
