#include "settings/konfig_table_win.h"

namespace {

using C = KonfigControl;
using namespace FormStyle;
constexpr DWORD Combo = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD Label = WS_VISIBLE | SS_RIGHT;
constexpr DWORD Banner = WS_VISIBLE | SS_CENTERIMAGE;
constexpr DWORD ListStyle = WS_VISIBLE | WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
constexpr ControlFont Small = ControlFont::Small;

// In tab order, as the window reads: the Menus group; the Items group's list with the buttons
// below it, then the mask top down with the buttons below it; the bottom row.
constexpr ControlRow<C> Controls[] = {
    {C::GroupBoxMenus, "GroupBoxMenus", "BUTTON", "Menus", 7, 8, 505, 113, Group, 0, OnForm<C>, Small},
    {C::LvMenus, "LvMenus", "SysListView32", "", 8, 16, 489, 57, ListStyle | LVS_LIST | WS_GROUP, WS_EX_CLIENTEDGE, C::GroupBoxMenus},
    {C::BtnAddMenu, "BtnAddMenu", "BUTTON", "Ad&d", 8, 80, 75, 25, Button, 0, C::GroupBoxMenus},
    {C::BtnModifyMenu, "BtnModifyMenu", "BUTTON", "M&odify", 88, 80, 75, 25, Button, 0, C::GroupBoxMenus},
    {C::BtnRemoveMenu, "BtnRemoveMenu", "BUTTON", "R&emove", 168, 80, 75, 25, Button, 0, C::GroupBoxMenus},
    {C::BtnClearMenu, "BtnClearMenu", "BUTTON", "C&lear", 248, 80, 75, 25, Button, 0, C::GroupBoxMenus},
    {C::BtnMoveUpMenu, "BtnMoveUpMenu", "BUTTON", "Move Le&ft", 328, 80, 77, 25, Button, 0, C::GroupBoxMenus},
    {C::BtnMoveDnMenu, "BtnMoveDnMenu", "BUTTON", "Move Rig&ht", 410, 80, 77, 25, Button, 0, C::GroupBoxMenus},

    {C::GroupBoxItemsEdit, "GroupBoxItemsEdit", "BUTTON", "Items", 7, 128, 505, 313, Group, 0, OnForm<C>, Small},
    {C::LblCurrentMenu, "LblCurrentMenu", "STATIC", "-", 8, 16, 153, 16, Banner | SS_CENTER, 0, C::GroupBoxItemsEdit},
    // Drawn by the window: a right-aligned static puts the last glyph's overhang past its edge.
    {C::LblItemIndex, "LblItemIndex", "STATIC", "0/0", 456, 16, 41, 16, WS_VISIBLE | SS_OWNERDRAW, 0, C::GroupBoxItemsEdit},
    // Ends where the counter begins: overlapping labels would paint over each other.
    {C::Label5, "Label5", "STATIC", "Edit Item", 184, 16, 272, 16, Banner | SS_CENTER, 0, C::GroupBoxItemsEdit},
    {C::LvItems, "LvItems", "SysListView32", "", 8, 33, 152, 208,
     ListStyle | LVS_ICON | LVS_OWNERDATA | LVS_AUTOARRANGE | WS_GROUP, WS_EX_CLIENTEDGE, C::GroupBoxItemsEdit},
    {C::BtnMoveUpItem, "BtnMoveUpItem", "BUTTON", "Move &Up", 8, 248, 75, 25, Button, 0, C::GroupBoxItemsEdit},
    {C::BtnMoveDnItem, "BtnMoveDnItem", "BUTTON", "Move D&n", 88, 248, 75, 25, Button, 0, C::GroupBoxItemsEdit},
    {C::BtnAddSep, "BtnAddSep", "BUTTON", "&Insert Separator", 8, 280, 155, 25, Button, 0, C::GroupBoxItemsEdit},
    {C::Bevel1, "Bevel1", "STATIC", "", 172, 33, 2, 240, WS_VISIBLE | SS_ETCHEDVERT, 0, C::GroupBoxItemsEdit},
    // The panels only hold their controls: painted, they would cover them.
    {C::PanEditControls, "PanEditControls", "STATIC", "", 184, 32, 313, 241, 0, 0, C::GroupBoxItemsEdit},
    // Labels end just before their fields and may reach into the margin for wider fonts,
    // not onto the divider: their background would cut it.
    {C::LblPfad, "LblPfad", "STATIC", "Item:", -9, 12, 77, 13, Label, 0, C::PanEditControls},
    {C::EdPfad, "EdPfad", "EDIT", "", 72, 8, 216, 21, Edit | ES_READONLY, WS_EX_CLIENTEDGE, C::PanEditControls},
    {C::BtnBrowsePfad, "BtnBrowsePfad", "BUTTON", "...", 288, 8, 25, 21, Button, 0, C::PanEditControls},
    // Under the path it depends on; enabled while that names a folder.
    {C::CheckFolderMenu, "CheckFolderMenu", "BUTTON", "Show &contents as submenu", 72, 30, 216, 17, Check, 0, C::PanEditControls},
    {C::LblIconPfad, "LblIconPfad", "STATIC", "Icon Path:", -9, 54, 77, 13, Label, 0, C::PanEditControls},
    {C::EdIconPfad, "EdIconPfad", "EDIT", "", 72, 50, 216, 21, Edit, WS_EX_CLIENTEDGE, C::PanEditControls},
    // The fields end where their browse buttons begin.
    {C::BtnBrowseIconPath, "BtnBrowseIconPath", "BUTTON", "...", 288, 50, 25, 21, Button, 0, C::PanEditControls},
    {C::CheckDefaultIcon, "CheckDefaultIcon", "BUTTON", "Use default Icon", 40, 76, 121, 17, Check, 0, C::PanEditControls},
    {C::CheckRunAsAdmin, "CheckRunAsAdmin", "BUTTON", "Run as adminis&trator", 168, 76, 140, 17, Check, 0, C::PanEditControls},
    {C::LblStartMode, "LblStartMode", "STATIC", "Startmode:", -9, 108, 77, 13, Label, 0, C::PanEditControls},
    {C::ComboStartMode, "ComboStartMode", "COMBOBOX", "", 72, 104, 121, 21, Combo, 0, C::PanEditControls},
    {C::LblParams, "LblParams", "STATIC", "Parameters:", -9, 135, 77, 13, Label, 0, C::PanEditControls},
    {C::EdParams, "EdParams", "EDIT", "", 72, 131, 121, 21, Edit, WS_EX_CLIENTEDGE, C::PanEditControls},
    // Wide enough for its text in the fonts Wine substitutes.
    {C::CheckAutoStart, "CheckAutoStart", "BUTTON", "Autostart:", 5, 162, 70, 25, Check | BS_LEFTTEXT, 0, C::PanEditControls},
    {C::ComboAutoStartMode, "ComboAutoStartMode", "COMBOBOX", "", 80, 164, 112, 21, Combo, 0, C::PanEditControls},
    {C::LblIcon, "LblIcon", "STATIC", "Icon:", 219, 120, 50, 13, WS_VISIBLE | SS_LEFT, 0, C::PanEditControls},
    {C::PanIcon, "PanIcon", "STATIC", "", 219, 135, 50, 50, 0, 0, C::PanEditControls},
    // The picture's own sunken edge is the lowered panel: 48 x 48 inside.
    {C::ImgIcon, "ImgIcon", "STATIC", "", 0, 0, 50, 50, WS_VISIBLE | WS_TABSTOP | SS_ICON | SS_CENTERIMAGE | SS_NOTIFY | SS_SUNKEN,
     0, C::PanIcon},
    {C::ScrollBarIconNum, "ScrollBarIconNum", "SCROLLBAR", "", 270, 136, 16, 49, WS_VISIBLE | WS_TABSTOP | SBS_VERT, 0, C::PanEditControls},
    {C::LblBeschreibung, "LblBeschreibung", "STATIC", "Description:", -9, 193, 77, 13, Label, 0, C::PanEditControls},
    {C::EdBeschreibung, "EdBeschreibung", "EDIT", "", 72, 189, 217, 21, Edit, WS_EX_CLIENTEDGE, C::PanEditControls},
    {C::LblWorkingDir, "LblWorkingDir", "STATIC", "&Working dir:", -9, 220, 77, 13, Label, 0, C::PanEditControls},
    {C::EdWorkingDir, "EdWorkingDir", "EDIT", "", 72, 216, 216, 21, Edit, WS_EX_CLIENTEDGE, C::PanEditControls},
    {C::BtnBrowseWorkingDir, "BtnBrowseWorkingDir", "BUTTON", "...", 288, 216, 25, 21, Button, 0, C::PanEditControls},
    // In the mask's place while the menu follows a folder; breaks long paths as an edit would.
    {C::LblFolderNote, "LblFolderNote", "STATIC", "", 184, 40, 313, 120, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0,
     C::GroupBoxItemsEdit},
    {C::BtnAddItem, "BtnAddItem", "BUTTON", "&Add", 184, 280, 75, 25, Button, 0, C::GroupBoxItemsEdit},
    {C::BtnModifyItem, "BtnModifyItem", "BUTTON", "&Modify", 264, 280, 75, 25, Button, 0, C::GroupBoxItemsEdit},
    {C::BtnRemoveItem, "BtnRemoveItem", "BUTTON", "&Remove", 344, 280, 75, 25, Button, 0, C::GroupBoxItemsEdit},
    {C::BtnClearItemMask, "BtnClearItemMask", "BUTTON", "&Clear", 424, 280, 75, 25, Button, 0, C::GroupBoxItemsEdit},

    {C::BtnOK, "BtnOK", "BUTTON", "&OK - Minimize", 8, 455, 145, 26, Button | WS_GROUP, 0, OnForm<C>, ControlFont::SmallBold},
    {C::BtnOptions, "BtnOptions", "BUTTON", "Option&s", 200, 455, 75, 26, Button, 0, OnForm<C>, Small},
    {C::BtnAbout, "BtnAbout", "BUTTON", "A&bout", 279, 455, 75, 26, Button, 0, OnForm<C>, Small},
    {C::BtnHelp, "BtnHelp", "BUTTON", "&Help", 358, 455, 75, 26, Button, 0, OnForm<C>, Small},
    {C::BtnQuit, "BtnQuit", "BUTTON", "&Quit", 437, 455, 75, 26, Button, 0, OnForm<C>, Small},
};
static_assert(WellFormedTable(Controls));

// What screen readers call the controls whose own text names nothing.
constexpr NameRow<C> Names[] = {
    {C::LvMenus, C::GroupBoxMenus},
    {C::LvItems, C::GroupBoxItemsEdit},
    {C::EdPfad, C::LblPfad},
    {C::BtnBrowsePfad, OnForm<C>, "Browse for the item"},
    {C::EdIconPfad, C::LblIconPfad},
    {C::BtnBrowseIconPath, OnForm<C>, "Browse for the icon"},
    {C::ComboStartMode, C::LblStartMode},
    {C::EdParams, C::LblParams},
    {C::ImgIcon, C::LblIcon},
    {C::ScrollBarIconNum, OnForm<C>, "Icon number"},
    {C::ComboAutoStartMode, OnForm<C>, "Autostart mode"},
    {C::EdBeschreibung, C::LblBeschreibung},
    {C::EdWorkingDir, C::LblWorkingDir},
    {C::BtnBrowseWorkingDir, OnForm<C>, "Browse for the working folder"},
};

// How the controls follow a larger window: the two lists take the room, the menu list a
// quarter of the height; the edit panel keeps its shape beside the item list, the bottom
// row stays at the bottom. A control without a row moves as its nearest container does.
constexpr double MenuShare = 0.25;
struct AnchorRow {
    C control;
    Anchor anchor;
};
constexpr AnchorRow Anchors[] = {
    {C::GroupBoxMenus, {0, 0, 1, MenuShare}},
    {C::LvMenus, {0, 0, 1, MenuShare}},
    {C::BtnAddMenu, {0, MenuShare, 0, MenuShare}},
    {C::BtnModifyMenu, {0, MenuShare, 0, MenuShare}},
    {C::BtnRemoveMenu, {0, MenuShare, 0, MenuShare}},
    {C::BtnMoveUpMenu, {0, MenuShare, 0, MenuShare}},
    {C::BtnMoveDnMenu, {0, MenuShare, 0, MenuShare}},
    {C::BtnClearMenu, {0, MenuShare, 0, MenuShare}},
    {C::GroupBoxItemsEdit, {0, MenuShare, 1, 1}},
    {C::LblCurrentMenu, {0, MenuShare, 1, MenuShare}},
    {C::LblItemIndex, {1, MenuShare, 1, MenuShare}},
    {C::Label5, {1, MenuShare, 1, MenuShare}},
    {C::LvItems, {0, MenuShare, 1, 1}},
    {C::BtnAddItem, {1, 1, 1, 1}},
    {C::BtnModifyItem, {1, 1, 1, 1}},
    {C::BtnRemoveItem, {1, 1, 1, 1}},
    {C::BtnClearItemMask, {1, 1, 1, 1}},
    {C::BtnMoveUpItem, {0, 1, 0, 1}},
    {C::BtnMoveDnItem, {0, 1, 0, 1}},
    {C::BtnAddSep, {0, 1, 0, 1}},
    {C::Bevel1, {1, MenuShare, 1, 1}},
    {C::PanEditControls, {1, MenuShare, 1, MenuShare}},
    {C::BtnOK, {0, 1, 0, 1}},
    {C::BtnOptions, {1, 1, 1, 1}},
    {C::BtnAbout, {1, 1, 1, 1}},
    {C::BtnHelp, {1, 1, 1, 1}},
    {C::BtnQuit, {1, 1, 1, 1}},
};

enum Glyph { Add, Modify, Remove, Clear, Left, Right, Up, Down, Separator, Ok, Options, About, Help, Quit };
constexpr GlyphRow Glyphs[] = {
    {C::BtnAddMenu, Add},       {C::BtnModifyMenu, Modify},      {C::BtnRemoveMenu, Remove},
    {C::BtnClearMenu, Clear},   {C::BtnMoveUpMenu, Left},        {C::BtnMoveDnMenu, Right, true},
    {C::BtnAddItem, Add},       {C::BtnModifyItem, Modify},      {C::BtnRemoveItem, Remove},
    {C::BtnClearItemMask, Clear}, {C::BtnMoveUpItem, Up},        {C::BtnMoveDnItem, Down},
    {C::BtnAddSep, Separator},  {C::BtnOK, Ok},                  {C::BtnOptions, Options},
    {C::BtnAbout, About},       {C::BtnHelp, Help},              {C::BtnQuit, Quit},
};

}  // namespace

std::span<const ControlRow<KonfigControl>> KonfigControls() { return Controls; }

std::span<const NameRow<KonfigControl>> KonfigNames() { return Names; }

std::optional<Anchor> KonfigAnchor(KonfigControl control)
{
    for (const AnchorRow& a : Anchors)
        if (a.control == control) return a.anchor;
    const ControlRow<C>& row = Controls[static_cast<size_t>(control)];
    if (row.parent != OnForm<C>) return KonfigAnchor(row.parent);
    return std::nullopt;
}

std::span<const GlyphRow> KonfigGlyphs() { return Glyphs; }
