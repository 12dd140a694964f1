#include "config/model.h"

#include <cassert>

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
