#include <windows.h>

#include <gtest/gtest.h>

#include "config/globalvar_win.h"
#include "config/model.h"

TEST(GlobalVar, VersionFlagsComeFromTheSystem)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_EQ(sizeof(info), 148u);
    ASSERT_TRUE(GetVersionExA(&info));
    InitVersionFlags();
    VersionFlags want = VersionFlagsFrom(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    EXPECT_EQ(RunningOnNT, want.RunningOnNT);
    EXPECT_EQ(ReverseIconOrder, want.ReverseIconOrder);
    EXPECT_TRUE(RunningOnNT);  // Wine reports an NT-family Windows
}

TEST(GlobalVar, ControlsInsideNestedContainersFollowButNotTheContainer)
{
    HWND top = CreateWindowExA(0, "STATIC", "top", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top);
    HWND group = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 100, 100, top, nullptr, nullptr, nullptr);
    HWND inner = CreateWindowExA(0, "BUTTON", "a", WS_CHILD, 0, 0, 10, 10, group, nullptr, nullptr, nullptr);
    HWND nested = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 50, 50, group, nullptr, nullptr, nullptr);
    HWND deepest = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 10, 10, nested, nullptr, nullptr, nullptr);
    HWND sibling = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);

    SetControlsEnabled(group, false);
    EXPECT_TRUE(IsWindowEnabled(group));
    EXPECT_FALSE(IsWindowEnabled(inner));
    EXPECT_FALSE(IsWindowEnabled(nested));
    EXPECT_FALSE(IsWindowEnabled(deepest));
    EXPECT_TRUE(IsWindowEnabled(sibling));

    SetControlsEnabled(group, true);
    EXPECT_TRUE(IsWindowEnabled(inner));
    EXPECT_TRUE(IsWindowEnabled(deepest));
    DestroyWindow(top);
}
