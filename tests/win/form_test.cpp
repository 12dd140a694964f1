// Controls are named by the enum of their form's table, checked where the table is
// written; tests and diagnostics find them by the name a row carries, and a name
// that is not in the table ends the program at once, naming the name.
#include "win/form_of.h"

#include "controls6.h"

#include <gtest/gtest.h>

namespace {

enum class Named { Box, BtnOK };

class NamedForm final : public FormOf<Named> {
public:
    bool Make(std::span<const ControlRow<Named>> rows)
    {
        return CreateForm({"MgwNamedForm", "", 200, 100}) && CreateControls(rows);
    }
    void Clicked() { ++clicks; }
    using FormOf<Named>::BindEvents;
    int clicks = 0;
};

constexpr ControlRow<Named> Rows[] = {
    {Named::Box, "Box", "BUTTON", "", 0, 0, 150, 80, FormStyle::Group},
    {Named::BtnOK, "BtnOK", "BUTTON", "OK", 10, 20, 50, 20, FormStyle::Button, 0, Named::Box},
};
static_assert(WellFormedTable(Rows));

// Rows out of their enum's order, a parent after its control, a name twice.
constexpr ControlRow<Named> Swapped[] = {Rows[1], Rows[0]};
static_assert(!WellFormedTable(Swapped));
constexpr ControlRow<Named> ParentAfter[] = {
    {Named::Box, "Box", "BUTTON", "", 0, 0, 150, 80, FormStyle::Group, 0, Named::BtnOK}, Rows[1]};
static_assert(!WellFormedTable(ParentAfter));
constexpr ControlRow<Named> Twice[] = {Rows[0], {Named::BtnOK, "Box", "BUTTON", "OK", 0, 0, 5, 5, 0}};
static_assert(!WellFormedTable(Twice));

}  // namespace

TEST(FormNames, TheDesignedNamesFindTheControlsTheEnumNames)
{
    NamedForm form;
    ASSERT_TRUE(form.Make(Rows));
    constexpr EventRow<NamedForm, Named> events[] = {{Named::BtnOK, BN_CLICKED, &NamedForm::Clicked}};
    form.BindEvents<NamedForm>(&form, events);
    const Form& byName = form;
    SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(byName.ControlId("BtnOK"), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form.Control(Named::BtnOK)));
    EXPECT_EQ(form.clicks, 1);
    EXPECT_EQ(byName.Control("BtnOK"), form.Control(Named::BtnOK));
    EXPECT_EQ(byName.FindControl("Box"), form.Control(Named::Box));
    EXPECT_EQ(byName.FindControl("BtnOk"), nullptr);
}

TEST(FormNamesDeathTest, AnUnknownNameEndsTheProgramNamingIt)
{
    NamedForm form;
    ASSERT_TRUE(form.Make(Rows));
    const Form& byName = form;
    EXPECT_DEATH((void)byName.Control("BtnOk"), "MgwNamedForm has no control named \"BtnOk\"");
}

// A button's picture takes the size of the strip it comes from, and setting it again (for
// another DPI) replaces it, or leaves the caption alone when the larger picture would cut it.
TEST(FormGlyphs, TheStripsCellSizeIsUsedAndASecondCallReplacesThePicture)
{
    constexpr ControlRow<Named> rows[] = {{Named::Box, "BtnGo", "BUTTON", "Go", 10, 10, 120, 30, FormStyle::Button}};
    Controls6 controls6;
    ASSERT_TRUE(controls6.Active());
    NamedForm form;
    ASSERT_TRUE(form.Make(rows));
    auto glyphSize = [&] {
        BUTTON_IMAGELIST shown{};
        int cx = 0, cy = 0;
        if (SendMessageA(form.Control(Named::Box), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown)) && shown.himl)
            ImageList_GetIconSize(shown.himl, &cx, &cy);
        return cx == cy ? cx : -1;
    };
    auto strip = [](int size) {
        UniqueImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0));
        ImageList_SetImageCount(list.get(), 2);
        return list;
    };
    form.SetButtonGlyph(Named::Box, strip(16).get(), 1);
    EXPECT_EQ(glyphSize(), 16);
    form.SetButtonGlyph(Named::Box, strip(32).get(), 1);
    EXPECT_EQ(glyphSize(), 32);
    form.SetButtonGlyph(Named::Box, strip(110).get(), 1);
    EXPECT_EQ(glyphSize(), 0);
}
