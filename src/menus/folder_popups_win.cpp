#include "menus/folder_popups_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "config/theme_win.h"
#include "launch/launch_win.h"
#include "menus/item_geometry.h"
#include "menus/menu_layout.h"
#include "menus/menus_win.h"
#include "menus/type_ahead_win.h"
#include "shell/environment_win.h"
#include "win/application.h"
#include "win/command_ids.h"
#include "win/handles.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <array>

namespace {

constexpr char OpenFolderText[] = "Open folder";
constexpr wchar_t LoadingText[] = L"Loading\u2026";
constexpr wchar_t EmptyText[] = L"(empty)";
constexpr wchar_t NotAvailableText[] = L"(not available)";

std::string MoreText(size_t more) { return "More (" + std::to_string(more) + ")"; }
constexpr size_t CommandRoom = size_t{LastFolderCommand} - FirstFolderCommand + 1;
// The internal message that names a menu window's menu; Windows and Wine both answer it.
constexpr UINT MenuOfWindow = 0x01E1;  // MN_GETHMENU

// The items of a folder menu lie at these positions: "Open folder", a separator, the rest;
// a later page of a large folder has neither.
int PositionOf(size_t item, bool head)
{
    const int at = static_cast<int>(item);
    return head && at > 0 ? at + 1 : at;
}

// Screen readers take "&" as the mnemonic's mark: a name's own is doubled.
std::wstring AccessibleName(std::wstring_view name)
{
    std::wstring text;
    text.reserve(name.size());
    for (wchar_t c : name) {
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}

HWND MenuWindowOf(HMENU menu)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32768", nullptr)))
        if (IsWindowVisible(window) && reinterpret_cast<HMENU>(SendMessageW(window, MenuOfWindow, 0, 0)) == menu)
            return window;
    return nullptr;
}

void InsertItem(HMENU menu, int position, UINT type, UINT state, UINT id, ULONG_PTR data, HMENU submenu)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | (submenu ? MIIM_SUBMENU : 0);
    info.fType = type;
    info.fState = state;
    info.wID = id;
    info.dwItemData = data;
    info.hSubMenu = submenu;
    InsertMenuItemW(menu, static_cast<UINT>(position), TRUE, &info);
}

}  // namespace

FolderPopups::FolderPopups(Host host)
    : host_(std::move(host)),
      lister_([owner = host_.owner] { PostMessageW(owner, WmFolderListed, 0, 0); }, host_.read),
      pictures_(host_.pictures)
{
}

FolderPopups::~FolderPopups() = default;

void FolderPopups::BeginTracking()
{
    for (auto& [menu, popup] : popups_) popup.open = false;
    // Menus filled before keep their items and numbers while their folder is unchanged;
    // once half the numbers are given out, every menu is filled afresh as it opens.
    if (commands_.size() < CommandRoom / 2) return;
    commands_.clear();
    ++session_;
}

void FolderPopups::Unnumber(const Popup& popup)
{
    if (popup.session != session_) return;
    for (size_t k = popup.firstCommand; k < popup.firstCommand + popup.items.size() && k < commands_.size(); ++k)
        commands_[k] = {nullptr, -1};
}

void FolderPopups::ForgetEarlierBuild()
{
    if (PopupBuild() == build_) return;
    popups_.clear();
    commands_.clear();
    build_ = PopupBuild();
}

FolderPopups::Popup* FolderPopups::Find(HMENU menu)
{
    ForgetEarlierBuild();
    if (auto known = popups_.find(menu); known != popups_.end()) return &known->second;
    for (size_t i = 0; i < TrayEntryList.size(); ++i) {
        for (const FolderAttachment& attached : TrayEntryList[i].Folders) {
            if (attached.popup != menu) continue;
            Popup popup;
            popup.parent = attached.item >= 0 ? TrayEntryList[i].Popup.get() : nullptr;
            popup.menuIndex = static_cast<int>(i);
            popup.folder = Utf8(ExpandEnvironmentWide(attached.folder));
            popup.tail = attached.tail;
            return &popups_.emplace(menu, std::move(popup)).first->second;
        }
    }
    return nullptr;
}

void FolderPopups::ReadAhead(HMENU menu)
{
    for (const TrayEntry& entry : TrayEntryList)
        if (!menu || entry.Popup.get() == menu)
            for (const FolderAttachment& attached : entry.Folders)
                if (attached.popup != menu)
                    static_cast<void>(lister_.Request(Utf8(ExpandEnvironmentWide(attached.folder))));
}

bool FolderPopups::Opened(HMENU menu)
{
    // The folders of a popup's folder entries are read as it opens, before they are pointed at.
    ReadAhead(menu);
    Popup* popup = Find(menu);
    if (!popup) return false;
    popup->open = true;
    if (popup->from > 0) {
        if (popup->session != session_) Fill(menu, *popup, {popup->state, popup->listing});
        return true;
    }
    FolderAnswer answer = lister_.Await(popup->folder, WaitMillis);
    if (popup->session != session_ || answer.state != popup->state || answer.listing != popup->listing)
        Fill(menu, *popup, answer);
    return true;
}

void FolderPopups::Closed(HMENU menu)
{
    if (auto known = popups_.find(menu); known != popups_.end()) known->second.open = false;
}

void FolderPopups::Listed()
{
    ForgetEarlierBuild();
    std::vector<HMENU> changed;
    for (auto& [menu, popup] : popups_) {
        // Only a menu still waiting for its listing is filled while open: one showing a listing
        // keeps it until it opens next, so a folder that keeps changing does not keep reopening it.
        if (!popup.open || popup.session != session_ || popup.from > 0 || popup.state != FolderState::Loading)
            continue;
        // A submenu open below it would be destroyed under the user: it waits for the next opening.
        const bool childOpen = std::any_of(popup.children.begin(), popup.children.end(), [&](HMENU child) {
            auto known = popups_.find(child);
            return known != popups_.end() && known->second.open;
        });
        const FolderAnswer answer = lister_.Listing(popup.folder);
        if (!childOpen && (answer.state != popup.state || answer.listing != popup.listing)) changed.push_back(menu);
    }
    for (HMENU menu : changed) {
        auto known = popups_.find(menu);
        if (known == popups_.end()) continue;
        Fill(menu, known->second, lister_.Listing(known->second.folder));
        ShowAgain(menu, known->second);
    }
}

void FolderPopups::Forget(HMENU menu)
{
    auto known = popups_.find(menu);
    if (known == popups_.end()) return;
    Unnumber(known->second);
    const std::vector<HMENU> children = std::move(known->second.children);
    popups_.erase(known);
    for (HMENU child : children) Forget(child);
}

void FolderPopups::Fill(HMENU menu, Popup& popup, const FolderAnswer& answer)
{
    for (HMENU child : popup.children) Forget(child);
    popup.children.clear();
    Unnumber(popup);
    // Deleting an item destroys its submenu too.
    for (int k = GetMenuItemCount(menu) - popup.tail; k-- > 0;) DeleteMenu(menu, static_cast<UINT>(k), MF_BYPOSITION);
    popup.items.clear();
    popup.state = answer.state;
    popup.listing = answer.listing;
    popup.session = session_;

    const bool head = popup.from == 0;
    if (head) popup.items.emplace_back(Wide(OpenFolderText), Kind::OpenFolder, -1);
    const FolderListing* listing = answer.listing.get();
    const bool showsListing = listing && listing->Count() > popup.from && answer.state != FolderState::NotAvailable;
    if (showsListing) {
        // A menu of thousands of items takes the system long to measure: a large folder
        // is shown a page at a time, each further page a submenu at the end of the one before.
        const size_t end = std::min(listing->Count(), popup.from + PageSize);
        for (size_t k = popup.from; k < end; ++k)
            popup.items.emplace_back(AccessibleName(Wide(listing->ShownName(k))),
                                     listing->IsFolder(k) ? Kind::Subfolder : Kind::File, static_cast<int>(k));
        if (end < listing->Count())
            popup.items.emplace_back(Wide(MoreText(listing->Count() - end)), Kind::More, static_cast<int>(end));
    } else {
        const wchar_t* note = answer.state == FolderState::Loading ? LoadingText
                              : answer.state == FolderState::NotAvailable ? NotAvailableText
                                                                           : EmptyText;
        popup.items.emplace_back(note, Kind::Note, -1);
    }

    // Measured once for the whole popup: the widest text decides every item's width.
    int widest = 0;
    {
        UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
        ScopedSelectObject font(dc.get(), MenuFont());
        for (const Item& item : popup.items) {
            const std::wstring text = ShownText(popup, item);
            SIZE size{};
            if (GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size))
                widest = std::max(widest, static_cast<int>(size.cx));
        }
    }
    const UINT dpi = MenuDpi();
    popup.itemWidth =
        static_cast<int>(ItemWidth(widest, Konfig.IconSize, GetSystemMetrics(SM_CXSCREEN), static_cast<int>(dpi)));
    // The system adds room for a check mark and a submenu's arrow to every column.
    const int columnText = widest + 2 * SystemMetricForDpi(SM_CXMENUCHECK, dpi);
    std::vector<bool> separators(popup.items.size() + (head ? 1 : 0), false);
    if (head) separators[1] = true;
    const std::vector<bool> starts = ColumnStarts(separators, PopupColumns(columnText, popup.tail > 0));

    if (commands_.size() + popup.items.size() > CommandRoom) {
        // Numbers run out only after thousands of items in one popup: the open menus are
        // numbered again, the others filled again when they open.
        commands_.clear();
        ++session_;
        popup.session = session_;
        for (auto& [other, shown] : popups_)
            if (other != menu && shown.open) Number(other, shown);
    }
    popup.firstCommand = commands_.size();
    const bool dark = SurfaceColoursNow().dark;
    for (size_t i = 0; i < popup.items.size(); ++i) {
        Item& item = popup.items[i];
        item.owner = &popup;
        const UINT id = FirstFolderCommand + static_cast<UINT>(commands_.size());
        commands_.emplace_back(menu, static_cast<int>(i));
        HMENU submenu = item.kind == Kind::Subfolder || item.kind == Kind::More ? CreatePopupMenu() : nullptr;
        if (submenu) {
            Popup child;
            child.parent = menu;
            child.menuIndex = popup.menuIndex;
            child.folder = PathOf(popup, item);
            if (item.kind == Kind::More) {
                // The next page shows this listing as it is, whatever the folder holds meanwhile.
                child.from = static_cast<size_t>(item.index);
                child.state = popup.state;
                child.listing = popup.listing;
            }
            popup.children.push_back(submenu);
            popups_.emplace(submenu, std::move(child));
        }
        const UINT type = MFT_OWNERDRAW | (starts[PositionOf(i, popup.from == 0)] ? MFT_MENUBARBREAK : 0);
        InsertItem(menu, PositionOf(i, popup.from == 0), type, item.kind == Kind::Note ? MFS_GRAYED : 0, id,
                   reinterpret_cast<ULONG_PTR>(&item), submenu);
        if (i == 0 && head)
            InsertItem(menu, 1, MFT_SEPARATOR | (dark ? MFT_OWNERDRAW : 0), 0, SeparatorCommand, 0, nullptr);
    }
    if (popup.tail > 1 && starts.back()) {
        // The fixed commands start a column of their own, after the separator above them.
        const int first = GetMenuItemCount(menu) - popup.tail + 1;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(first), TRUE, &info)) {
            info.fType |= MFT_MENUBARBREAK;
            SetMenuItemInfoW(menu, static_cast<UINT>(first), TRUE, &info);
        }
    }
}

void FolderPopups::Number(HMENU menu, Popup& popup)
{
    popup.session = session_;
    popup.firstCommand = commands_.size();
    for (size_t i = 0; i < popup.items.size(); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID;
        info.wID = FirstFolderCommand + static_cast<UINT>(commands_.size());
        commands_.emplace_back(menu, static_cast<int>(i));
        SetMenuItemInfoW(menu, static_cast<UINT>(PositionOf(i, popup.from == 0)), TRUE, &info);
    }
}

void FolderPopups::ShowAgain(HMENU menu, const Popup& popup)
{
    // An open menu keeps the size it opened with: it is closed and opened again.
    if (!popup.parent) {
        if (host_.showAgain && MenuWindowOf(menu)) host_.showAgain(popup.menuIndex);
        return;
    }
    HWND parent = MenuWindowOf(popup.parent);
    if (!parent) return;
    // Left closes the innermost menu that has the keyboard, Right opens the selected
    // item's submenu. Opened by the mouse, the submenu has no selection yet: Right first
    // moves the keyboard into it.
    bool selected = false;
    for (int k = GetMenuItemCount(menu); k-- > 0;)
        selected = selected || (GetMenuState(menu, static_cast<UINT>(k), MF_BYPOSITION) & MF_HILITE);
    const std::array<WORD, 3> mouse{VK_RIGHT, VK_LEFT, VK_RIGHT};
    const std::array<WORD, 3> keyboard{VK_LEFT, VK_RIGHT, 0};
    for (WORD key : selected ? keyboard : mouse) {
        if (!key) break;
        PostMessageW(parent, WM_KEYDOWN, key, 1);
        PostMessageW(parent, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    }
}

std::string FolderPopups::PathOf(const Popup& popup, const Item& item) const
{
    if (item.kind == Kind::OpenFolder || item.kind == Kind::More || !popup.listing || item.index < 0)
        return popup.folder;
    std::string path = popup.folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += popup.listing->Name(static_cast<size_t>(item.index));
    return path;
}

std::wstring FolderPopups::ShownText(const Popup& popup, const Item& item) const
{
    if ((item.kind == Kind::File || item.kind == Kind::Subfolder) && popup.listing)
        return Wide(popup.listing->ShownName(static_cast<size_t>(item.index)));
    return item.entry.text;
}

const FolderPopups::Item* FolderPopups::ItemOf(ULONG_PTR data, UINT id) const
{
    if (id < FirstFolderCommand || id > LastFolderCommand || !data) return nullptr;
    const size_t k = id - FirstFolderCommand;
    if (k >= commands_.size()) return nullptr;
    auto known = popups_.find(commands_[k].first);
    if (known == popups_.end() || static_cast<size_t>(commands_[k].second) >= known->second.items.size())
        return nullptr;
    const Item* item = &known->second.items[static_cast<size_t>(commands_[k].second)];
    return reinterpret_cast<ULONG_PTR>(item) == data ? item : nullptr;
}

bool FolderPopups::Measure(MEASUREITEMSTRUCT& measure) const
{
    if (measure.CtlType != ODT_MENU) return false;
    const Item* item = ItemOf(measure.itemData, measure.itemID);
    if (!item) return false;
    measure.itemWidth = static_cast<UINT>(item->owner->itemWidth);
    measure.itemHeight = static_cast<UINT>(GeometryFor(Konfig.IconSize, static_cast<int>(MenuDpi())).height);
    return true;
}

bool FolderPopups::Draw(const DRAWITEMSTRUCT& draw)
{
    if (draw.CtlType != ODT_MENU || !draw.hDC) return false;
    const Item* item = ItemOf(draw.itemData, draw.itemID);
    if (!item) return false;
    const Popup& popup = *item->owner;
    const int dpi = static_cast<int>(MenuDpi());
    std::pair<HIMAGELIST, int> picture{nullptr, -1};
    if (item->kind != Kind::Note && item->kind != Kind::More)
        picture = pictures_.Picture(PathOf(popup, *item), PictureSizeFor(Konfig.IconSize, dpi),
                                    WindowFromDC(draw.hDC), draw.rcItem);
    const std::wstring text = ShownText(popup, *item);
    DrawMenuRow(draw, {picture.first, picture.second, text, Konfig.IconSize, dpi, MenuFont(),
                       item->kind == Kind::Subfolder || item->kind == Kind::More});
    return true;
}

bool FolderPopups::Command(UINT id)
{
    if (id < FirstFolderCommand || id > LastFolderCommand) return false;
    const size_t k = id - FirstFolderCommand;
    if (k >= commands_.size()) return true;
    auto known = popups_.find(commands_[k].first);
    if (known == popups_.end() || static_cast<size_t>(commands_[k].second) >= known->second.items.size()) return true;
    const Popup& popup = known->second;
    const Item& item = popup.items[static_cast<size_t>(commands_[k].second)];
    if (item.kind == Kind::Note || item.kind == Kind::More) return true;
    LaunchPath(PathOf(popup, item), Utf8(ShownText(popup, item)), false);
    return true;
}

std::optional<LRESULT> FolderPopups::MenuChar(WORD typed, HMENU menu)
{
    auto known = popups_.find(menu);
    if (known == popups_.end() || known->second.session != session_) return std::nullopt;
    const Popup& popup = known->second;
    const bool head = popup.from == 0;
    // The texts by position: the separator and the notes are never chosen by a letter.
    std::vector<std::string_view> names(static_cast<size_t>(std::max(GetMenuItemCount(menu), 0)));
    for (size_t i = 0; i < popup.items.size(); ++i) {
        const Item& item = popup.items[i];
        const size_t position = static_cast<size_t>(PositionOf(i, head));
        if (position >= names.size()) continue;
        if (item.kind == Kind::OpenFolder) names[position] = OpenFolderText;
        else if ((item.kind == Kind::File || item.kind == Kind::Subfolder) && popup.listing)
            names[position] = popup.listing->ShownName(static_cast<size_t>(item.index));
    }

    wchar_t key[2] = {static_cast<wchar_t>(typed), 0};
    CharUpperW(key);
    const auto startsWithKey = [&](std::string_view name) {
        std::wstring first = Wide(name.substr(0, 4));
        if (first.empty()) return false;
        first.resize(1);
        CharUpperW(first.data());
        return first[0] == key[0];
    };
    int only = -1, count = 0;
    for (size_t p = 0; p < names.size() && count < 2; ++p) {
        if (names[p].empty() || !startsWithKey(names[p])) continue;
        only = static_cast<int>(p);
        ++count;
    }
    if (count == 1) return MAKELRESULT(only, MNC_EXECUTE);
    if (count == 0 && popup.listing && !popup.items.empty() && popup.items.back().kind == Kind::More) {
        // Only a later page has it: that page opens and the letter is typed there again.
        const size_t end = popup.items.back().index;
        for (size_t k = end; k < popup.listing->Count(); ++k) {
            if (!startsWithKey(popup.listing->ShownName(k))) continue;
            if (HWND window = MenuWindowOf(menu)) PostMessageW(window, WM_CHAR, typed, 1);
            return MAKELRESULT(PositionOf(popup.items.size() - 1, head), MNC_EXECUTE);
        }
    }
    return TypeAheadInPopup(menu, names, TypedCharacter(MainWindow(), typed), false);
}
