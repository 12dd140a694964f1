// The drop target's owner handlers may throw; OLE must see an error, never an exception.
#include "dragdrop/drop_pidl_target_win.h"
#include "driver.h"
#include "drop_support.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

TEST(DropBarrier, AThrowingHandlerFailsTheCallAndEndsTheDragForTheTarget)
{
    std::optional<TempFolder> folder = TempFolder::Create();
    ASSERT_TRUE(folder && folder->Write("one.txt", "x"));
    ComPtr<IDataObject> data = ShellDataObject(folder->Path(), {"one.txt"});
    ASSERT_TRUE(data);
    ComponentPtr<TDropPIDLTarget> target = MakeComponent<TDropPIDLTarget>();
    target->Dragtypes = dtCopy;
    ComPtr<IDropTarget> sink;
    ASSERT_EQ(target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(sink.GetAddressOf())), S_OK);
    const LONG held = target->RefCount();
    const auto fails = [](TDropTarget&, TShiftState, POINT, DWORD&) { throw std::runtime_error("handler"); };
    const auto runsOutOfMemory = [](TDropTarget&, TShiftState, POINT, DWORD&) { throw std::bad_alloc(); };
    DWORD effect = DROPEFFECT_COPY;
    const auto enter = [&] {
        effect = DROPEFFECT_COPY;
        return sink->DragEnter(data.Get(), 0, {0, 0}, &effect);
    };

    target->OnEnter = fails;
    EXPECT_EQ(enter(), E_UNEXPECTED);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    // The failed enter left no data behind: the drag goes on over a target that refuses it.
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(sink->DragOver(0, {1, 1}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    target->OnEnter = nullptr;

    target->OnDragOver = runsOutOfMemory;
    EXPECT_EQ(enter(), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(sink->DragOver(0, {1, 1}, &effect), E_OUTOFMEMORY);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    target->OnDragOver = nullptr;

    target->OnDrop = fails;
    target->GetDataOnEnter = true;
    EXPECT_EQ(enter(), S_OK);
    EXPECT_EQ(target->DropListCount(), 2);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(sink->Drop(data.Get(), 0, {1, 1}, &effect), E_UNEXPECTED);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(target->DropListCount(), 0) << "the dropped data is discarded";
    target->OnDrop = nullptr;

    target->OnLeave = [](TDropTarget&) { throw std::runtime_error("handler"); };
    EXPECT_EQ(enter(), S_OK);
    EXPECT_EQ(sink->DragLeave(), E_UNEXPECTED);
    target->OnLeave = nullptr;

    target->OnGetDropEffect = fails;
    EXPECT_EQ(enter(), E_UNEXPECTED);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    target->OnGetDropEffect = nullptr;

    // Every failure gave back the reference its method took, and the target still works.
    EXPECT_EQ(target->RefCount(), held);
    EXPECT_EQ(enter(), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    EXPECT_EQ(sink->DragLeave(), S_OK);
}
