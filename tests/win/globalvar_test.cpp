#include <windows.h>

#include <gtest/gtest.h>

#include "config/globalvar_win.h"
#include "config/model.h"
#include "win/form.h"

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

namespace {
// A bare form made from a table, for the form layer's own rules.
class TableForm final : public Form {
public:
    bool Make(std::span<const ControlRow> rows) { return CreateForm({"MgwTableForm", "", 200, 200}) && CreateControls(rows); }
};
}  // namespace

TEST(GlobalVar, ControlsInsideNestedContainersFollowButNotTheContainer)
{
    constexpr ControlRow rows[] = {
        {"group", "STATIC", "", 0, 0, 100, 100, 0},
        {"inner", "BUTTON", "a", 0, 0, 10, 10, WS_VISIBLE, 0, "group"},
        {"nested", "STATIC", "", 0, 50, 50, 50, 0, 0, "group"},
        {"deepest", "EDIT", "", 0, 0, 10, 10, WS_VISIBLE, 0, "nested"},
        {"sibling", "BUTTON", "b", 120, 0, 10, 10, WS_VISIBLE},
    };
    TableForm form;
    ASSERT_TRUE(form.Make(rows));
    auto usable = [&](const char* name) { return IsWindowEnabled(form.Control(name)) != FALSE; };

    form.SetControlsEnabled("group", false);
    EXPECT_TRUE(usable("group"));
    EXPECT_FALSE(usable("inner"));
    EXPECT_FALSE(usable("nested"));
    EXPECT_FALSE(usable("deepest"));
    EXPECT_TRUE(usable("sibling"));

    form.SetControlsEnabled("group", true);
    EXPECT_TRUE(usable("inner"));
    EXPECT_TRUE(usable("deepest"));

    // Controls sit flat on the form: a disabled container still disables its contents.
    form.SetEnabled("group", false);
    EXPECT_FALSE(usable("deepest"));
    form.SetEnabled("group", true);
    EXPECT_TRUE(usable("deepest"));
}
