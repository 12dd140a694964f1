// A name that is not in a form's table is a fault of the program: every lookup and
// binding of one ends it at once, naming the name, instead of finding or binding nothing.
#include "win/form.h"

#include "controls6.h"

#include <gtest/gtest.h>

namespace {

class NamedForm final : public Form {
public:
    bool Make(std::span<const ControlRow> rows)
    {
        return CreateForm({"MgwNamedForm", "", 200, 100}) && CreateControls(rows);
    }
    void Clicked() { ++clicks; }
    using Form::BindEvents;
    using Form::OnNotify;
    int clicks = 0;
};

constexpr ControlRow Rows[] = {
    {"Box", "BUTTON", "", 0, 0, 150, 80, FormStyle::Group},
    {"BtnOK", "BUTTON", "OK", 10, 20, 50, 20, FormStyle::Button, 0, "Box"},
};

}  // namespace

TEST(FormNames, KnownNamesAreFoundAndOnlyTheProbeAnswersNullForOthers)
{
    NamedForm form;
    ASSERT_TRUE(form.Make(Rows));
    constexpr EventRow<NamedForm> events[] = {{"BtnOK", BN_CLICKED, &NamedForm::Clicked}};
    form.BindEvents<NamedForm>(&form, events);
    SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(form.ControlId("BtnOK"), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form.Control("BtnOK")));
    EXPECT_EQ(form.clicks, 1);
    EXPECT_EQ(form.FindControl("BtnOK"), form.Control("BtnOK"));
    EXPECT_EQ(form.FindControl("BtnOk"), nullptr);
}

TEST(FormNamesDeathTest, AnUnknownNameEndsTheProgramNamingIt)
{
    NamedForm form;
    ASSERT_TRUE(form.Make(Rows));
    constexpr EventRow<NamedForm> misspelt[] = {{"BtnOk", BN_CLICKED, &NamedForm::Clicked}};
    EXPECT_DEATH(form.BindEvents<NamedForm>(&form, misspelt), "MgwNamedForm has no control named \"BtnOk\"");
    EXPECT_DEATH(form.OnNotify("LvItems", NM_CLICK, [](NMHDR&) { return LRESULT{0}; }), "named \"LvItems\"");
    EXPECT_DEATH(form.SetEnabled("Bx", false), "named \"Bx\"");
}

TEST(FormNamesDeathTest, ATableWithAnUnknownParentOrANameTwiceIsRefusedAtCreation)
{
    constexpr ControlRow orphan[] = {{"BtnOK", "BUTTON", "OK", 0, 0, 50, 20, FormStyle::Button, 0, "Group"}};
    EXPECT_DEATH(NamedForm().Make(orphan), "named \"Group\"");
    constexpr ControlRow twice[] = {Rows[0], Rows[1], Rows[1]};
    EXPECT_DEATH(NamedForm().Make(twice), "names \"BtnOK\" twice");
}

// A button's picture takes the size of the strip it comes from, and setting it again (for
// another DPI) replaces it, or leaves the caption alone when the larger picture would cut it.
TEST(FormGlyphs, TheStripsCellSizeIsUsedAndASecondCallReplacesThePicture)
{
    constexpr ControlRow rows[] = {{"BtnGo", "BUTTON", "Go", 10, 10, 120, 30, FormStyle::Button}};
    Controls6 controls6;
    ASSERT_TRUE(controls6.Active());
    NamedForm form;
    ASSERT_TRUE(form.Make(rows));
    auto glyphSize = [&] {
        BUTTON_IMAGELIST shown{};
        int cx = 0, cy = 0;
        if (SendMessageA(form.Control("BtnGo"), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown)) && shown.himl)
            ImageList_GetIconSize(shown.himl, &cx, &cy);
        return cx == cy ? cx : -1;
    };
    auto strip = [](int size) {
        UniqueImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0));
        ImageList_SetImageCount(list.get(), 2);
        return list;
    };
    form.SetButtonGlyph("BtnGo", strip(16).get(), 1);
    EXPECT_EQ(glyphSize(), 16);
    form.SetButtonGlyph("BtnGo", strip(32).get(), 1);
    EXPECT_EQ(glyphSize(), 32);
    form.SetButtonGlyph("BtnGo", strip(110).get(), 1);
    EXPECT_EQ(glyphSize(), 0);
}
