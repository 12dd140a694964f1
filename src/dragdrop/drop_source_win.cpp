#include "dragdrop/drop_source_win.h"

#include <ole2.h>

UINT FmtFileContents = 0;
UINT FmtFileGroupDescriptor = 0;
UINT FmtIdListArray = 0;
UINT FmtPreferredDropEffect = 0;
UINT FmtUrl = 0;
UINT FmtFileNameMap = 0;
UINT FmtFileNameMapW = 0;

namespace {
ComPtr<IMalloc> shellMalloc;
}

DropSourceModule::DropSourceModule()
{
    // OLE counts its initialisations: a second one on the thread only raises the count.
    oleReady_ = SUCCEEDED(OleInitialize(nullptr));
    if (!shellMalloc) {
        ComPtr<IMalloc> malloc;
        if (SUCCEEDED(SHGetMalloc(&malloc))) shellMalloc = std::move(malloc);
    }
    FmtFileContents = RegisterClipboardFormatW(L"FileContents");
    FmtFileGroupDescriptor = RegisterClipboardFormatW(L"FileGroupDescriptor");
    FmtIdListArray = RegisterClipboardFormatW(L"Shell IDList Array");
    FmtPreferredDropEffect = RegisterClipboardFormatW(L"Preferred DropEffect");
    FmtUrl = RegisterClipboardFormatW(L"UniformResourceLocator");
    FmtFileNameMap = RegisterClipboardFormatW(L"FileNameMap");
    FmtFileNameMapW = RegisterClipboardFormatW(L"FileNameMapW");
}

DropSourceModule::~DropSourceModule()
{
    shellMalloc.Reset();
    if (oleReady_) OleUninitialize();
}

IMalloc* ShellMalloc() { return shellMalloc.Get(); }

ULONG TInterfacedComponent::ComponentAddRef() noexcept { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }

ULONG TInterfacedComponent::ComponentRelease() noexcept
{
    LONG count = InterlockedDecrement(&refCount_);
    // Lifetime by reference count: the last holder destroys the object.
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

void TInterfacedComponent::Free()
{
    BeforeFree();
    ComponentRelease();
}
