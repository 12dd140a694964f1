// The path's browse button of the real program, driven from outside: its popup chosen
// with real keys, the shell's folder dialog found, a folder chosen in it or cancelled.
#include "app_test.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <array>
#include <string>

namespace {

class BrowseFolderE2e : public AppTest {
protected:
    void OpenSettings()
    {
        Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Places",
                    "ItemCount=0"}));
        ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
        settings = app->WaitForSettings();
        ASSERT_NE(settings, nullptr);
        ASSERT_TRUE(Post(ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), WM_KEYDOWN, VK_HOME, 1));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(FindChild(settings, "Button", "&Add")) != FALSE; }));
        path = EditAt(settings, {7 + 184 + 80, 128 + 32 + 12});
        ASSERT_NE(path, nullptr);
    }
    // "..." then "F&older..." from its popup, typed: the folder dialog it opens.
    // A click that arrives while the last dialog is still winding down opens nothing: the
    // popup is asked for again then.
    HWND OpenFolderDialog()
    {
        HWND browse = ChildAt(settings, {7 + 184 + 288 + 12, 128 + 32 + 8 + 10}, "Button");
        for (int attempt = 0; attempt < 3; ++attempt) {
            (void)WaitUntil([&] { return IsWindowEnabled(settings) != FALSE; });
            SetForegroundWindow(settings);
            if (!Post(settings ? GetParent(browse) : nullptr, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED),
                      reinterpret_cast<LPARAM>(browse)))
                return nullptr;
            if (!app->WaitForPopup(2000)) continue;
            PressKeys({'O'});
            return app->WaitForWindow({"#32770", "Browse for Folder", true});
        }
        return nullptr;
    }
    std::string Path() const { return WindowText(path); }

    HWND settings = nullptr;
    HWND path = nullptr;
};

// A page in the program's memory: the folder dialog's messages read and write there.
class RemotePage {
public:
    explicit RemotePage(DWORD process)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process))
    {
        if (process_) page_ = static_cast<char*>(VirtualAllocEx(process_.get(), nullptr, Size, MEM_COMMIT, PAGE_READWRITE));
    }
    RemotePage(const RemotePage&) = delete;
    RemotePage& operator=(const RemotePage&) = delete;
    ~RemotePage()
    {
        if (page_) VirtualFreeEx(process_.get(), page_, 0, MEM_RELEASE);
    }

    // Selects `folder` in the dialog.
    bool Select(HWND dialog, const std::string& folder) const
    {
        if (!page_ || !WriteProcessMemory(process_.get(), page_, folder.c_str(), folder.size() + 1, nullptr)) return false;
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(page_));
        return true;
    }
    // The name of the folder selected in the dialog's tree.
    std::string Selected(HWND dialog) const
    {
        HWND tree = FindChild(dialog, "SysTreeView32", "");
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (!page_ || !item) return {};
        TVITEMA query{};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = page_ + 512;
        query.cchTextMax = 260;
        std::array<char, 261> text{};
        if (!WriteProcessMemory(process_.get(), page_, &query, sizeof(query), nullptr) ||
            !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(page_)) ||
            !ReadProcessMemory(process_.get(), page_ + 512, text.data(), 260, nullptr))
            return {};
        return text.data();
    }

private:
    static constexpr SIZE_T Size = 4096;
    UniqueHandle process_;
    char* page_ = nullptr;
};

TEST_F(BrowseFolderE2e, TheFolderDialogStartsAtThePathAndItsChoiceOrCancelFillsTheMask)
{
    std::string first = sandbox->Folder().File("Browse First");
    std::string second = sandbox->Folder().File("Browse Second");
    ASSERT_TRUE(CreateDirectoryA(first.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(second.c_str(), nullptr));
    ASSERT_NO_FATAL_FAILURE(OpenSettings());
    SendMessageA(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(first.c_str()));

    RemotePage remote(app->Id());
    // The dialog opens on the typed folder: OK at once takes it.
    HWND dialog = OpenFolderDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return remote.Selected(dialog) == "Browse First"; }, 3000)) << remote.Selected(dialog) << " for " << first;
    ASSERT_TRUE(ClickButton(dialog, "OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(SameFolder(Path(), first)) << Path();

    dialog = OpenFolderDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(remote.Select(dialog, second));
    EXPECT_TRUE(WaitUntil([&] { return remote.Selected(dialog) == "Browse Second"; }, 3000));
    ASSERT_TRUE(ClickButton(dialog, "OK"));
    ASSERT_TRUE(WaitUntil([&] { return SameFolder(Path(), second); })) << Path();

    dialog = OpenFolderDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(remote.Select(dialog, first));
    ASSERT_TRUE(ClickButton(dialog, "Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(SameFolder(Path(), second)) << "a cancelled dialog changes nothing: " << Path();

    // The folder chosen is an entry.
    SendMessageA(EditAt(settings, {7 + 184 + 80, 128 + 32 + 207}), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("Second"));
    ASSERT_TRUE(ClickButton(settings, "&Add"));
    HWND items = ChildAt(settings, {7 + 8 + 20, 128 + 33 + 20}, "SysListView32");
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(items, LVM_GETITEMCOUNT, 0, 0) == 1; }));
    EXPECT_TRUE(app->NoMessageBoxFor(300));
}

}  // namespace
