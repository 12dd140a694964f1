// The help file next to the program opens the way the settings window and the dialogs
// open it: ShellExecuteA "open" on mgoldwk.chm starts the system's HTML help viewer with
// the file's own title. Wine's viewer shows the contents tree but no pages (it has no
// HTML engine), so the pages themselves are checked on the Linux side.
#include "driver.h"
#include "win/handles.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

bool IsHelpViewer(HWND w)
{
    return WindowClass(w) == "HH Parent" || WindowText(w) == "Marigoldwick Help";
}

BOOL CALLBACK TakeHelpViewer(HWND w, LPARAM found)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() || !IsHelpViewer(w)) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

// A top-level help viewer window of another process, or null.
HWND FindHelpViewer()
{
    HWND found = nullptr;
    EnumWindows(TakeHelpViewer, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK TakeTree(HWND w, LPARAM found)
{
    if (WindowClass(w) != WC_TREEVIEWA) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

HWND FindTree(HWND parent)
{
    HWND tree = nullptr;
    EnumChildWindows(parent, TakeTree, reinterpret_cast<LPARAM>(&tree));
    return tree;
}

TEST(HelpFile, OpensInTheHelpViewerWithItsTitleAndContents)
{
    const std::string chm = BinFolder() + "mgoldwk.chm";
    ASSERT_NE(GetFileAttributesA(chm.c_str()), INVALID_FILE_ATTRIBUTES) << chm << " was not built";
    ASSERT_EQ(FindHelpViewer(), nullptr) << "a help viewer is already open";

    auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", chm.c_str(), nullptr, nullptr, SW_SHOWDEFAULT));
    ASSERT_GT(result, 32) << "ShellExecuteA " << chm;

    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (viewer = FindHelpViewer()) != nullptr; }, 15000)) << "no help viewer appeared";
    DWORD pid = 0;
    GetWindowThreadProcessId(viewer, &pid);
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
    ASSERT_TRUE(process);

    // The caption comes from the compiled file, so it proves the viewer read ours.
    EXPECT_TRUE(WaitUntil([&] { return WindowText(viewer) == "Marigoldwick Help"; }, 5000)) << WindowText(viewer);
    HWND tree = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        tree = FindTree(viewer);
        return tree && SendMessageA(tree, TVM_GETCOUNT, 0, 0) >= 8;
    }, 5000)) << "the contents tree is missing or short";
    RECT place{};
    if (tree) GetWindowRect(tree, &place);
    EXPECT_TRUE(tree && IsWindowVisible(tree) && place.right - place.left > 100)
        << "the contents pane is hidden or too narrow to read";

    PostMessageA(viewer, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.get(), 1);
    EXPECT_TRUE(ended) << "the help viewer did not end on WM_CLOSE";
    EXPECT_EQ(FindHelpViewer(), nullptr);
}

}  // namespace
