// Shell items dropped on the item list become entries of the selected menu: plain files
// by path, shortcuts by what they point at, everything else by identifier list.
#include "config/globalvar_win.h"
#include "config/model.h"
#include "settings/konfig_drop_rules.h"
#include "settings/konfig_drop_win.h"
#include "shell/shell_link_win.h"
#include "win/application.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

std::unique_ptr<TOneItem> DroppedItem(ITEMIDLIST* list, IShellFolder* desktop)
{
    auto item = std::make_unique<TOneItem>();
    item->Pfad = IdListToBytes(list);
    item->IsPIDL = true;
    item->IconNum = DefaultIconNum;
    item->Startmode = 1;
    item->AutoStartmode = 1;
    item->Description = GetDisplayNameInFolder(desktop, list, false);
    if (IsBlankText(item->Description)) item->Description = GetIdListDisplayName(list, false, false, false);

    std::string file = UpperCaseText(GetDisplayNameInFolder(desktop, list, true));
    if (!IsExistingFile(file)) return item;
    if (!IsShortcutFile(file)) {
        PlainFileNames names = NamePlainFile(file, LowerCaseText, UpperCaseText);
        item->Pfad = std::move(names.pfad);
        item->IsPIDL = false;
        item->IconPfad = std::move(names.iconPfad);
        item->Description = std::move(names.description);
        return item;
    }
    ShellLinkInfo link;
    // An unreadable shortcut stays the shell item it is.
    if (!ResolveShellLink(file, link)) return item;
    item->Pfad = link.Path;
    item->IsPIDL = false;
    item->IconPfad = ShortcutIconPfad(link.IconPath, link.Path);
    item->IconNum = link.IconIndex;
    item->Description = ShortcutDescription(link.Description, item->Description);
    item->Parameters = link.Arguments;
    item->Startmode = link.ShowCmd;
    if (IsBlankText(link.Path)) {
        // A shortcut to something without a path (a control panel item, say).
        item->IsPIDL = true;
        item->IconNum = DefaultIconNum;
        item->Pfad = IdListToBytes(link.IDList.get());
    }
    return item;
}

KonfigDrops::KonfigDrops(HWND owner, HWND list, Receiver receiver) : owner_(owner), receiver_(std::move(receiver))
{
    MyDropTarget = MakeComponent<TDropPIDLTarget>();
    MyDropTarget->Dragtypes = dtCopy | dtMove | dtLink;
    MyDropTarget->GetDataOnEnter = false;
    MyDropTarget->SetShowImage(true);
    MyDropTarget->OnGetDropEffect = [this](TDropTarget& s, TShiftState k, POINT p, DWORD& e) {
        MyDropTargetGetDropEffect(s, k, p, e);
    };
    MyDropTarget->OnDrop = [this](TDropTarget& s, TShiftState k, POINT p, DWORD& e) { MyDropTargetDrop(s, k, p, e); };
    if (auto error = MyDropTarget->Register(list, "LvItems")) ShowMessageBox(owner_, *error, ProgramTitle, MB_OK);
}

KonfigDrops::~KonfigDrops()
{
    if (!MyDropTarget) return;
    // Freed (and revoked) while the list's window still exists. A drag that still holds
    // the target must not reach into a window that is gone.
    MyDropTarget->OnGetDropEffect = nullptr;
    MyDropTarget->OnDrop = nullptr;
    MyDropTarget.reset();
}

void KonfigDrops::MyDropTargetGetDropEffect(TDropTarget&, TShiftState, POINT, DWORD& effect)
{
    // Items are always linked: the source keeps its files, and the list never scrolls by itself.
    // A menu that takes no entries (it follows a folder) refuses the drop at once.
    effect = receiver_.menu() ? DROPEFFECT_LINK : DROPEFFECT_NONE;
}

void KonfigDrops::MyDropTargetDrop(TDropTarget&, TShiftState, POINT, DWORD&)
{
    TOneMenu* menu = receiver_.menu();
    // The list is disabled without a menu; a drop delivered anyway has nowhere to go.
    if (!menu) return;
    int lists = MyDropTarget->DropListCount();
    if (lists < 2) {
        ShowMessageBox(owner_, "Internal Error while processing Drop-Event.", ProgramTitle, MB_OK);
        return;
    }
    IShellFolder* desktop = receiver_.desktop ? receiver_.desktop() : nullptr;
    for (int i = 1; i < lists; ++i) {
        if (receiver_.refuseFull(*menu)) break;
        ShellIdList list = MyDropTarget->DropIdList(i);
        if (!list) continue;  // the shell allocator failed: nothing to make an entry of
        receiver_.add(DroppedItem(list.get(), desktop));
    }
    receiver_.added();
}
