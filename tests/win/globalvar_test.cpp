#include <windows.h>

#include <gtest/gtest.h>

#include "config/globalvar_win.h"
#include "config/model.h"
#include "win/form_of.h"

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
enum class Nested { group, inner, nested, deepest, sibling };
class TableForm final : public FormOf<Nested> {
public:
    bool Make(std::span<const ControlRow<Nested>> rows)
    {
        return CreateForm({"MgwTableForm", "", 200, 200}) && CreateControls(rows);
    }
};
}  // namespace

TEST(GlobalVar, ControlsInsideNestedContainersFollowButNotTheContainer)
{
    using N = Nested;
    constexpr ControlRow<N> rows[] = {
        {N::group, "group", "STATIC", "", 0, 0, 100, 100, 0},
        {N::inner, "inner", "BUTTON", "a", 0, 0, 10, 10, WS_VISIBLE, 0, N::group},
        {N::nested, "nested", "STATIC", "", 0, 50, 50, 50, 0, 0, N::group},
        {N::deepest, "deepest", "EDIT", "", 0, 0, 10, 10, WS_VISIBLE, 0, N::nested},
        {N::sibling, "sibling", "BUTTON", "b", 120, 0, 10, 10, WS_VISIBLE},
    };
    TableForm form;
    ASSERT_TRUE(form.Make(rows));
    auto usable = [&](const char* name) { return IsWindowEnabled(static_cast<const Form&>(form).Control(name)) != FALSE; };

    form.SetControlsEnabled(N::group, false);
    EXPECT_TRUE(usable("group"));
    EXPECT_FALSE(usable("inner"));
    EXPECT_FALSE(usable("nested"));
    EXPECT_FALSE(usable("deepest"));
    EXPECT_TRUE(usable("sibling"));

    form.SetControlsEnabled(N::group, true);
    EXPECT_TRUE(usable("inner"));
    EXPECT_TRUE(usable("deepest"));

    // Controls sit flat on the form: a disabled container still disables its contents.
    form.SetEnabled(N::group, false);
    EXPECT_FALSE(usable("deepest"));
    form.SetEnabled(N::group, true);
    EXPECT_TRUE(usable("deepest"));
}
