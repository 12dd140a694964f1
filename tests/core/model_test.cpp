#include <gtest/gtest.h>

#include "config/model.h"

TEST(Model, MenuAtOutsideTheListIsNone)
{
    TMenuList menus;
    EXPECT_EQ(MenuAt(menus, 0), nullptr);
    NewMenu(menus, {});
    NewMenu(menus, {});
    EXPECT_EQ(MenuAt(menus, -1), nullptr);
    EXPECT_EQ(MenuAt(menus, 2), nullptr);
    EXPECT_EQ(MenuAt(menus, 1), menus[1].get());
}

TEST(Model, SeparatorIsTheExactMarker)
{
    TOneItem item;
    item.Pfad = "MarigoldwickCommand{-}";
    EXPECT_TRUE(item.IsSeparator());
    item.Pfad = "MarigoldwickCommand{-} ";
    EXPECT_FALSE(item.IsSeparator());
    item.Pfad = "marigoldwickcommand{-}";
    EXPECT_FALSE(item.IsSeparator());
    item.Pfad = SeparatorMarker;
    item.IsPIDL = true;
    EXPECT_FALSE(item.IsSeparator());
}

TEST(Model, InsertingKeepsOrderAndReleasingEmptiesTheList)
{
    TMenuList menus;
    TOneMenu& m = NewMenu(menus, {});
    for (const char* name : {"a", "c"}) {
        auto item = std::make_unique<TOneItem>();
        item->Description = name;
        AddItem(m, std::move(item));
    }
    auto b = std::make_unique<TOneItem>();
    b->Description = "b";
    AddItem(m, std::move(b), 1);
    ASSERT_EQ(m.Items.size(), 3u);
    EXPECT_EQ(m.Items[1]->Description, "b");
    EXPECT_EQ(m.Items[2]->Description, "c");
    ReleaseMenus(menus);
    EXPECT_TRUE(menus.empty());
}

TEST(Model, TrailingBackslash)
{
    EXPECT_EQ(WithTrailingBackslash("C:\\Program"), "C:\\Program\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(WithTrailingBackslash("x"), "x\\");
}

TEST(Model, VersionFlagsTestEachNumberOnItsOwn)
{
    struct Case { uint32_t platform, major, minor; bool nt, reverse; } cases[] = {
        {1, 4, 10, false, false}, {2, 4, 0, true, false}, {2, 5, 0, true, false},
        {2, 5, 1, true, true},    {2, 5, 2, true, true},  {2, 6, 0, true, false},
        {2, 6, 1, true, true},    {2, 10, 0, true, false}, {3, 5, 1, true, true},
    };
    for (const auto& c : cases) {
        VersionFlags f = VersionFlagsFrom(c.platform, c.major, c.minor);
        EXPECT_EQ(f.RunningOnNT, c.nt) << c.platform << ' ' << c.major << '.' << c.minor;
        EXPECT_EQ(f.ReverseIconOrder, c.reverse) << c.platform << ' ' << c.major << '.' << c.minor;
    }
}
