// What every drag-and-drop object of the program shares: OLE, the shell's allocator,
// the shell's clipboard formats, and the base of components that are COM objects.
#pragma once

#include "dragdrop/drop_effect.h"
#include "win/handles.h"

#include <memory>
#include <new>

// The shell's clipboard formats, registered by DropSourceModule (0 before).
extern UINT FmtFileContents;
extern UINT FmtFileGroupDescriptor;
extern UINT FmtIdListArray;
extern UINT FmtPreferredDropEffect;
extern UINT FmtUrl;
extern UINT FmtFileNameMap;
extern UINT FmtFileNameMapW;

// Held for the life of the program (and of each test): OLE on this thread, the shell's
// allocator and the registered formats.
class DropSourceModule {
public:
    DropSourceModule();
    DropSourceModule(const DropSourceModule&) = delete;
    DropSourceModule& operator=(const DropSourceModule&) = delete;
    ~DropSourceModule();
    bool Ready() const { return oleReady_; }

private:
    bool oleReady_ = false;
};

// The shell's allocator while a DropSourceModule lives, else null.
IMalloc* ShellMalloc();

// Runs the body of a COM method: no exception may unwind into the system. An exception
// (from an owner's handler, say) runs `failed` and becomes E_OUTOFMEMORY for bad_alloc,
// else E_UNEXPECTED.
template <typename Body, typename Failed>
HRESULT ComBarrier(Body&& body, Failed&& failed) noexcept
{
    HRESULT result = E_UNEXPECTED;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    } catch (...) {
    }
    failed();
    return result;
}

// A component that is also a COM object. Its owner holds it through ComponentPtr; the
// object holds one reference to itself for that owner, so the system's releases never
// destroy a component still in use. Freeing it gives that reference up: it goes when
// the last holder lets go. The count changes only with interlocked operations.
class TInterfacedComponent {
public:
    TInterfacedComponent(const TInterfacedComponent&) = delete;
    TInterfacedComponent& operator=(const TInterfacedComponent&) = delete;

    // Nothing here throws: the count is interlocked and destructors do not throw.
    ULONG ComponentAddRef() noexcept;
    ULONG ComponentRelease() noexcept;
    LONG RefCount() const { return refCount_; }
    // The owner is done with it: undo what ties it to the system, then let go.
    void Free();

protected:
    TInterfacedComponent() = default;
    virtual ~TInterfacedComponent() = default;
    // What the owner's Free undoes before letting go (a registration, say).
    virtual void BeforeFree() {}
    // S_OK with the interface for every interface the class implements.
    virtual HRESULT ComponentQueryInterface(REFIID iid, void** object) = 0;

private:
    volatile LONG refCount_ = 1;  // the owner's reference
};

struct ComponentFree {
    void operator()(TInterfacedComponent* component) const noexcept { component->Free(); }
};
template <typename T>
using ComponentPtr = std::unique_ptr<T, ComponentFree>;

// Objects are counted by reference, so they are made only through here.
template <typename T, typename... Args>
ComponentPtr<T> MakeComponent(Args&&... args)
{
    return ComponentPtr<T>(new T(std::forward<Args>(args)...));
}
