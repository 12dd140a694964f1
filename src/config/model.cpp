#include "config/model.h"

#include <cassert>
#include <utility>

TKonfig Konfig;
MenuImagesFactory NewMenuImages;
TMenuList MenuList;
const std::string SeparatorMarker = "MarigoldwickCommand{-}";
std::string IniFile = "mgoldwk.ini";
std::string HelpFile = "mgoldwk.chm";
std::string ReadmeFile = "readme.txt";
bool RunningOnNT = false;
bool ReverseIconOrder = false;

bool TOneItem::IsSeparator() const { return !IsPIDL && Pfad == SeparatorMarker; }

void TOneMenu::ClearItems()
{
    while (!Items.empty()) Items.pop_back();
}

bool TOneMenu::IsFull() const { return Items.size() >= static_cast<size_t>(MaxItemsPerMenu); }

bool TOneMenu::RemoveItem(int index)
{
    if (index < 0 || index >= static_cast<int>(Items.size())) return false;
    int picture = Items[static_cast<size_t>(index)]->ImageIndex;
    Items.erase(Items.begin() + index);
    if (Images) (void)Images->RemoveEntryImage(picture);
    for (auto& item : Items)
        if (item->ImageIndex > picture) --item->ImageIndex;
    return true;
}

bool TOneMenu::SwapItems(int a, int b)
{
    int count = static_cast<int>(Items.size());
    if (a < 0 || b < 0 || a >= count || b >= count) return false;
    std::swap(Items[static_cast<size_t>(a)], Items[static_cast<size_t>(b)]);
    return true;
}

TOneMenu* MenuAt(TMenuList& menus, int index)
{
    if (index < 0 || index >= static_cast<int>(menus.size())) return nullptr;
    return menus[static_cast<size_t>(index)].get();
}

TOneMenu* MenuAt(int index) { return MenuAt(MenuList, index); }

TOneItem& ItemAt(int menuIndex, int itemIndex)
{
    TOneMenu* menu = MenuAt(menuIndex);
    assert(menu && itemIndex >= 0 && itemIndex < static_cast<int>(menu->Items.size()));
    return *menu->Items[static_cast<size_t>(itemIndex)];
}

TOneMenu& NewMenu(TMenuList& menus, const MenuImagesFactory& newImages)
{
    auto menu = std::make_unique<TOneMenu>();
    if (newImages) menu->Images = newImages();
    menus.push_back(std::move(menu));
    return *menus.back();
}

TOneItem& AddItem(TOneMenu& menu, std::unique_ptr<TOneItem> item, int at)
{
    item->ImageIndex = menu.Images ? menu.Images->AddEntryImage(*item) : -1;
    if (at < 0 || at >= static_cast<int>(menu.Items.size())) {
        menu.Items.push_back(std::move(item));
        return *menu.Items.back();
    }
    auto pos = menu.Items.insert(menu.Items.begin() + at, std::move(item));
    return **pos;
}

std::unique_ptr<TOneItem> NewSeparator()
{
    auto separator = std::make_unique<TOneItem>();
    separator->Pfad = SeparatorMarker;
    separator->IconNum = 0;
    separator->Startmode = 1;
    separator->AutoStartmode = 1;
    separator->Description = "Separator";
    return separator;
}

void ReleaseMenus(TMenuList& menus)
{
    while (!menus.empty()) {
        menus.back()->ClearItems();
        menus.back()->Images.reset();
        menus.pop_back();
    }
}

std::string WithTrailingBackslash(std::string dir)
{
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    return dir;
}

VersionFlags VersionFlagsFrom(uint32_t platformId, uint32_t major, uint32_t minor)
{
    VersionFlags f;
    f.RunningOnNT = platformId >= 2;
    f.ReverseIconOrder = platformId >= 2 && major >= 5 && minor >= 1;
    return f;
}
