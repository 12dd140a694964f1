// The drop target driven through its OLE interface as the system drives it during a
// drag, with data objects made by the shell for real files and hand-made blocks.
#include "dragdrop/drop_pidl_target_win.h"
#include "driver.h"
#include "drop_support.h"
#include "unicode_files.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace std::string_literals;

constexpr DWORD All = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

void Pump(DWORD ms)
{
    DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    }
}

class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        for (const char* name : {"one.txt", "two.txt", "three.txt"}) ASSERT_TRUE(folder->Write(name, "x"));
        target = MakeComponent<TDropPIDLTarget>();
        target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(sink.GetAddressOf()));
        list = MakeList(WS_VSCROLL);
    }
    void TearDown() override
    {
        sink.Reset();
        target.reset();
    }
    // A list box of 100 lines at 100,100, 200 by 150 pixels.
    static UniqueWindow MakeList(DWORD scroll)
    {
        UniqueWindow w(CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_VISIBLE | LBS_NOINTEGRALHEIGHT | scroll, 100, 100,
                                       200, 150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        for (int i = 0; i < 100; ++i) SendMessageA(w.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("line"));
        return w;
    }
    POINTL At(HWND w, int x, int y) const
    {
        POINT p{x, y};
        ClientToScreen(w, &p);
        return {p.x, p.y};
    }
    DWORD Enter(IDataObject* data, DWORD keys = 0, DWORD offered = All)
    {
        DWORD effect = offered;
        EXPECT_EQ(sink->DragEnter(data, keys, At(list.get(), 50, 70), &effect), S_OK);
        return effect;
    }
    DWORD Over(DWORD keys, int x = 50, int y = 70, DWORD offered = All)
    {
        DWORD effect = offered;
        EXPECT_EQ(sink->DragOver(keys, At(list.get(), x, y), &effect), S_OK);
        return effect;
    }
    DWORD DropNow(IDataObject* data, DWORD keys = 0, DWORD offered = All)
    {
        DWORD effect = offered;
        EXPECT_EQ(sink->Drop(data, keys, At(list.get(), 50, 70), &effect), S_OK);
        return effect;
    }
    ComPtr<IDataObject> Files() { return ShellDataObject(folder->Path(), {"one.txt", "two.txt", "three.txt"}); }

    std::optional<TempFolder> folder;
    ComponentPtr<TDropPIDLTarget> target;
    ComPtr<IDropTarget> sink;
    UniqueWindow list;
};

using DropTarget = DropTargetTest;
using DropPIDL = DropTargetTest;

TEST_F(DropTarget, RegistersOnceAndNamesTheControlOnFailure)
{
    UniqueWindow other = MakeList(0);
    ComPtr<IDropTarget> stranger = sink;
    EXPECT_FALSE(target->Register(list.get(), "ListA"));
    EXPECT_TRUE(target->Registered());
    EXPECT_EQ(RegisterDragDrop(list.get(), stranger.Get()), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_FALSE(target->Register(list.get(), "ListA")) << "the same control again does nothing";

    // Another control: the first is revoked first.
    EXPECT_FALSE(target->Register(other.get(), "ListB"));
    EXPECT_EQ(target->Target(), other.get());
    EXPECT_EQ(RegisterDragDrop(list.get(), stranger.Get()), S_OK);
    ComponentPtr<TDropPIDLTarget> second = MakeComponent<TDropPIDLTarget>();
    EXPECT_EQ(second->Register(list.get(), "ListA").value_or(""), "Failed to Register ListA");
    EXPECT_FALSE(second->Registered());
    EXPECT_EQ(second->Target(), list.get());
    EXPECT_EQ(RevokeDragDrop(list.get()), S_OK);

    // Revoked behind its back: unregistering fails and keeps the control.
    EXPECT_EQ(RevokeDragDrop(other.get()), S_OK);
    EXPECT_EQ(target->Unregister().value_or(""), "Failed to Unregister ListB");
    EXPECT_EQ(target->Target(), other.get());
    EXPECT_FALSE(target->Registered());
}

TEST_F(DropTarget, CountsReferencesAndOutlivesItsOwnerWhileHeld)
{
    ComPtr<IDataObject> wrong;
    EXPECT_EQ(sink->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(wrong.GetAddressOf())), E_NOINTERFACE);
    LONG before = target->RefCount();
    EXPECT_EQ(sink->AddRef(), static_cast<ULONG>(before + 1));
    EXPECT_EQ(sink->Release(), static_cast<ULONG>(before));

    // The owner lets go during a drag; the system's reference keeps it alive to the end.
    ASSERT_FALSE(target->Register(list.get(), "List"));
    Enter(Files().Get());
    target.reset();
    EXPECT_EQ(sink->DragLeave(), S_OK);
    EXPECT_EQ(RegisterDragDrop(list.get(), sink.Get()), S_OK) << "freeing revoked the registration";
    EXPECT_EQ(RevokeDragDrop(list.get()), S_OK);
}

TEST_F(DropTarget, RefusesDataWithoutShellItemsForTheWholeDrag)
{
    target->Dragtypes = dtCopy | dtMove | dtLink;
    int entered = 0, over = 0, left = 0, dropped = 0;
    target->OnEnter = [&](TDropTarget&, TShiftState, POINT, DWORD&) { ++entered; };
    target->OnDragOver = [&](TDropTarget&, TShiftState, POINT, DWORD&) { ++over; };
    target->OnLeave = [&](TDropTarget&) { ++left; };
    target->OnDrop = [&](TDropTarget&, TShiftState, POINT, DWORD&) { ++dropped; };
    ComPtr<IDataObject> text = BlockDataObject(list.get(), {{CF_TEXT, "x"s}});
    EXPECT_EQ(Enter(text.Get()), DROPEFFECT_NONE);
    EXPECT_EQ(Over(MK_SHIFT), DROPEFFECT_NONE);
    EXPECT_EQ(DropNow(text.Get()), DROPEFFECT_NONE);
    Enter(text.Get());
    sink->DragLeave();
    EXPECT_EQ(entered + over + dropped, 0);
    EXPECT_EQ(left, 1);
}

TEST_F(DropTarget, ChoosesTheEffectFromKeysAndAllowedKinds)
{
    ComPtr<IDataObject> files = Files();
    ASSERT_TRUE(files);
    EXPECT_EQ(Enter(files.Get()), DROPEFFECT_NONE) << "nothing allowed yet";
    target->Dragtypes = dtCopy | dtMove | dtLink;
    EXPECT_EQ(Over(MK_SHIFT), DROPEFFECT_MOVE) << "chosen again at each move";
    sink->DragLeave();

    EXPECT_EQ(Enter(files.Get()), DROPEFFECT_COPY);
    EXPECT_EQ(Over(MK_CONTROL), DROPEFFECT_COPY);
    EXPECT_EQ(Over(MK_SHIFT | MK_CONTROL), DROPEFFECT_LINK);
    target->Dragtypes = 0;
    target->OnGetDropEffect = [](TDropTarget&, TShiftState, POINT, DWORD& effect) { effect = DROPEFFECT_LINK; };
    EXPECT_EQ(Over(0, 50, 1), DROPEFFECT_LINK) << "no scroll request with a handler";
    EXPECT_FALSE(target->AutoScrolling());
    sink->DragLeave();
}

TEST_F(DropTarget, ScrollsAListWithAScrollBarWhileTheCursorRestsNearAnEdge)
{
    target->Dragtypes = dtCopy;
    ASSERT_FALSE(target->Register(list.get(), "List"));
    SendMessageA(list.get(), LB_SETTOPINDEX, 50, 0);
    ComPtr<IDataObject> files = Files();
    Enter(files.Get());
    auto top = [this] { return static_cast<int>(SendMessageA(list.get(), LB_GETTOPINDEX, 0, 0)); };

    EXPECT_EQ(Over(0, 50, 2), DROPEFFECT_COPY | DROPEFFECT_SCROLL);
    EXPECT_TRUE(target->AutoScrolling());
    Pump(450);
    int scrolledTo = top();
    EXPECT_LT(scrolledTo, 49) << "one line every 100 ms";
    EXPECT_GT(scrolledTo, 40);
    EXPECT_EQ(Over(0, 50, 70), DROPEFFECT_COPY);
    EXPECT_FALSE(target->AutoScrolling());
    Pump(250);
    EXPECT_EQ(top(), scrolledTo);

    // Down at the bottom edge, until the drag ends.
    Over(0, 50, 148);
    Pump(250);
    EXPECT_GT(top(), scrolledTo);
    sink->DragLeave();
    EXPECT_FALSE(target->AutoScrolling());

    // A control without scroll bars never scrolls.
    list = MakeList(0);
    ASSERT_FALSE(target->Register(list.get(), "Plain"));
    Enter(files.Get());
    EXPECT_EQ(Over(0, 50, 2), DROPEFFECT_COPY);
    EXPECT_FALSE(target->AutoScrolling());
    sink->DragLeave();
}

TEST_F(DropPIDL, DroppedItemsAreReadableOnlyInsideOnDrop)
{
    target->Dragtypes = dtCopy;
    int drops = 0;
    target->OnDrop = [&](TDropTarget&, TShiftState, POINT, DWORD& effect) {
        ++drops;
        EXPECT_EQ(effect, DROPEFFECT_COPY);
        ASSERT_EQ(target->DropListCount(), 4);
        EXPECT_FALSE(target->DropIdList(0));
        EXPECT_FALSE(target->DropIdList(4));
        const char* names[] = {"one.txt", "two.txt", "three.txt"};
        for (int i = 1; i <= 3; ++i) {
            // Compared by the path it names: the bytes also carry the file's times.
            ShellIdList item = target->DropIdList(i);
            char path[MAX_PATH] = {};
            ASSERT_TRUE(item && SHGetPathFromIDListA(item.get(), path));
            EXPECT_EQ(std::string(path), folder->File(names[i - 1]));
        }
        const TPIDLTargetStrings& files = target->DropFileNames();
        EXPECT_EQ(files.Count(), 3);
        EXPECT_EQ(files.Strings(2).text, folder->File("three.txt"));
        EXPECT_EQ(files.Strings(-1).error, "Filename index out of range");
        EXPECT_EQ(files.Strings(3).error, "Filename index out of range");
        EXPECT_TRUE(target->MappedNames().empty());
    };
    ComPtr<IDataObject> files = Files();
    ASSERT_TRUE(files);
    Enter(files.Get());
    EXPECT_EQ(target->DropListCount(), 0) << "not read on entering";
    EXPECT_EQ(DropNow(files.Get()), DROPEFFECT_COPY);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(target->DropListCount(), 0);
    EXPECT_EQ(target->DropFileNames().Count(), 0);
}

TEST_F(DropPIDL, UnicodeNamesInAUnicodeFolderArriveAsExactPaths)
{
    const std::string sub = folder->File(MixedName);
    ASSERT_TRUE(CreateDirectoryW(Wide(sub).c_str(), nullptr));
    const std::vector<std::string> names = {CyrillicName + ".txt"s, GreekName + ".txt"s, CjkName + ".txt"s,
                                            EmojiName + ".txt"s, CombiningName + ".txt"s};
    for (const std::string& name : names) ASSERT_TRUE(WriteUnicodeFile(sub + "\\" + name, "x"));
    ComPtr<IDataObject> data = ShellDataObject(sub, names);
    ASSERT_TRUE(data);
    target->Dragtypes = dtCopy;
    std::vector<std::string> paths;
    target->OnDrop = [&](TDropTarget&, TShiftState, POINT, DWORD&) {
        const TPIDLTargetStrings& files = target->DropFileNames();
        for (int i = 0; i < files.Count(); ++i) paths.push_back(files.Strings(i).text);
    };
    Enter(data.Get());
    EXPECT_EQ(DropNow(data.Get()), DROPEFFECT_COPY);
    ASSERT_EQ(paths.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(paths[i], sub + "\\" + names[i]);
}

TEST_F(DropPIDL, DesktopItemsAndItemsWithoutAPath)
{
    ITEMIDLIST* drives = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives), S_OK);
    ShellIdList computer(drives);
    ComPtr<IDataObject> data = DesktopDataObject({computer.get()});
    ASSERT_TRUE(data);
    target->Dragtypes = dtLink;
    bool dropped = false;
    target->OnDrop = [&](TDropTarget&, TShiftState, POINT, DWORD&) {
        dropped = true;
        EXPECT_EQ(target->IdListStore().at(0), std::string(2, '\0'));
        EXPECT_EQ(ListBytes(target->DropIdList(1)), ListBytes(computer)) << "the desktop adds nothing";
        EXPECT_EQ(target->DropFileNames().Strings(0).text, "");
        EXPECT_TRUE(target->DropFileNames().Strings(0));
    };
    Enter(data.Get());
    EXPECT_EQ(DropNow(data.Get()), DROPEFFECT_LINK);
    EXPECT_TRUE(dropped);
}

TEST_F(DropPIDL, MalformedArraysAreRefusedLikeUnreadableDrops)
{
    const std::string item = "\x05\0abc\0\0"s;
    const std::string end = "\0\0"s;
    std::string good = IdListArrayBlock({end, item});
    std::string pastEnd = good;
    pastEnd[12 + 2] = 0x40;  // the item's size runs past the block
    std::string farOffset = good;
    farOffset[8] = '\xF0';
    const std::vector<std::string> blocks{IdListArrayBlock({end}), pastEnd, farOffset};
    target->Dragtypes = dtCopy;
    int drops = 0;
    target->OnDrop = [&](TDropTarget&, TShiftState, POINT, DWORD&) { ++drops; };
    for (const std::string& block : blocks) {
        ComPtr<IDataObject> data = BlockDataObject(list.get(), {{FmtIdListArray, block}});
        EXPECT_EQ(Enter(data.Get()), DROPEFFECT_COPY) << "the format is offered";
        EXPECT_EQ(DropNow(data.Get()), DROPEFFECT_NONE);
    }
    EXPECT_EQ(drops, 0);
    ComPtr<IDataObject> fine = BlockDataObject(list.get(), {{FmtIdListArray, good}});
    Enter(fine.Get());
    EXPECT_EQ(DropNow(fine.Get()), DROPEFFECT_COPY);
    EXPECT_EQ(drops, 1);
}

TEST_F(DropPIDL, NameMapsAreKeptOnlyWithOneNamePerItem)
{
    const std::string end = "\0\0"s;
    const std::string a = "\x03\0a\0\0"s, b = "\x03\0b\0\0"s;
    std::string array = IdListArrayBlock({end, a, b});
    std::vector<std::string> mapped;
    target->Dragtypes = dtCopy;
    target->OnDrop = [&](TDropTarget&, TShiftState, POINT, DWORD&) { mapped = target->MappedNames(); };
    auto drop = [&](std::map<UINT, std::string> blocks) {
        mapped = {"untouched"};
        ComPtr<IDataObject> data = BlockDataObject(list.get(), blocks);
        Enter(data.Get());
        EXPECT_EQ(DropNow(data.Get()), DROPEFFECT_COPY);
        return mapped;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(drop({{FmtIdListArray, array}, {FmtFileNameMap, "First.txt\0Second.txt\0\0"s}}),
              (Names{"First.txt", "Second.txt"}));
    // Names arrive as UTF-8 from either map: the 8-bit one is in the code page (1252).
    EXPECT_EQ(drop({{FmtIdListArray, array}, {FmtFileNameMap, "F\xe4\0S\0\0"s}}), (Names{"F\xC3\xA4", "S"}));
    // U+6F22 and U+1F600 (a surrogate pair) stay whole.
    EXPECT_EQ(drop({{FmtIdListArray, array}, {FmtFileNameMapW, "\x22\x6f\0\0\x3d\xd8\x00\xde\0\0\0\0"s}}),
              (Names{"\xE6\xBC\xA2", "\xF0\x9F\x98\x80"}));
    EXPECT_EQ(drop({{FmtIdListArray, array}, {FmtFileNameMap, "Only.txt\0\0"s}}), Names{});
    // The wide map wins when both are offered: the 8-bit one may have lost characters.
    EXPECT_EQ(drop({{FmtIdListArray, array}, {FmtFileNameMap, "x\0y\0\0"s}, {FmtFileNameMapW, "z\0\0\0w\0\0\0\0\0"s}}),
              (Names{"z", "w"}));

    // Read on entering: the events of the drag see the data, the drop does not read again.
    target->GetDataOnEnter = true;
    int seenOnEnter = 0;
    target->OnEnter = [&](TDropTarget&, TShiftState, POINT, DWORD&) { seenOnEnter = target->DropListCount(); };
    EXPECT_EQ(drop({{FmtIdListArray, array}, {FmtFileNameMap, "p\0q\0\0"s}}), (Names{"p", "q"}));
    EXPECT_EQ(seenOnEnter, 3);
}

TEST_F(DropPIDL, ClipboardDropEffectForPastedShellItems)
{
    const std::string end = "\0\0"s;
    std::string array = IdListArrayBlock({end, "\x03\0a\0\0"s});
    auto put = [this](const std::map<UINT, std::string>& formats) { ASSERT_TRUE(PutOnClipboard(list.get(), formats)); };
    put({{CF_TEXT, "text\0"s}});
    EXPECT_EQ(target->ClipboardDropEffect(), 0u);
    put({{FmtIdListArray, array}});
    EXPECT_EQ(target->ClipboardDropEffect(), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->DropListCount(), 2);
    put({{FmtIdListArray, array}, {FmtPreferredDropEffect, "\x02\0\0\0"s}});
    EXPECT_EQ(target->ClipboardDropEffect(), static_cast<DWORD>(DROPEFFECT_MOVE));
    put({{FmtIdListArray, "\x05\0\0\0"s}});
    EXPECT_EQ(target->ClipboardDropEffect(), 0u);
    put({});
}

}  // namespace
