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

namespace {

// A picture list that remembers whose picture sits where.
class NamedImages : public MenuImages {
public:
    int Count() const override { return static_cast<int>(names.size()); }
    int AddEntryImage(const TOneItem& item) override
    {
        names.push_back(item.Description);
        return Count() - 1;
    }
    bool RemoveEntryImage(int index) override
    {
        if (index < 0 || index >= Count()) return false;
        names.erase(names.begin() + index);
        return true;
    }
    std::vector<std::string> names;
};

std::unique_ptr<TOneItem> Named(const char* description)
{
    auto item = std::make_unique<TOneItem>();
    item->Description = description;
    return item;
}

// Each entry's picture must still be its own.
void ExpectOwnPictures(const TOneMenu& m)
{
    const auto& names = static_cast<const NamedImages&>(*m.Images).names;
    ASSERT_EQ(names.size(), m.Items.size());
    for (const auto& item : m.Items) {
        ASSERT_GE(item->ImageIndex, 0);
        ASSERT_LT(item->ImageIndex, static_cast<int>(names.size()));
        EXPECT_EQ(names[static_cast<size_t>(item->ImageIndex)], item->Description);
    }
}

}  // namespace

TEST(ModelItems, RemovingRenumbersThePicturesAfterTheRemovedOne)
{
    TMenuList menus;
    TOneMenu& m = NewMenu(menus, [] { return std::make_unique<NamedImages>(); });
    for (const char* name : {"a", "b", "c", "d"}) AddItem(m, Named(name));
    // Moved entries keep their pictures, so list order and picture order differ.
    ASSERT_TRUE(m.SwapItems(0, 3));
    ASSERT_TRUE(m.SwapItems(1, 2));
    ExpectOwnPictures(m);
    EXPECT_TRUE(m.RemoveItem(2));  // "b", picture 1
    EXPECT_EQ(m.Items[2]->Description, "a");
    ExpectOwnPictures(m);
    EXPECT_TRUE(m.RemoveItem(0));
    ExpectOwnPictures(m);
    EXPECT_FALSE(m.RemoveItem(2));
    EXPECT_FALSE(m.RemoveItem(-1));
    EXPECT_FALSE(m.SwapItems(0, 2));
    EXPECT_FALSE(m.SwapItems(-1, 0));
    ASSERT_EQ(m.Items.size(), 2u);
}

TEST(ModelItems, SeparatorsGoWhereAskedAndTheLimitIsTheCommandRange)
{
    TMenuList menus;
    TOneMenu& m = NewMenu(menus, [] { return std::make_unique<NamedImages>(); });
    AddItem(m, Named("a"));
    AddItem(m, Named("b"));
    TOneItem& separator = AddItem(m, NewSeparator(), 1);
    EXPECT_TRUE(separator.IsSeparator());
    EXPECT_EQ(m.Items[1].get(), &separator);
    EXPECT_EQ(separator.Startmode, 1);
    ExpectOwnPictures(m);

    EXPECT_FALSE(m.IsFull());
    while (m.Items.size() < static_cast<size_t>(MaxItemsPerMenu) - 1) AddItem(m, NewSeparator());
    EXPECT_FALSE(m.IsFull());
    AddItem(m, NewSeparator());
    EXPECT_TRUE(m.IsFull());
    EXPECT_EQ(MaxItemsPerMenu, 1900);
}
