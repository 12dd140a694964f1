// Drags shell items onto whatever window lies at a screen point, as the file manager does
// from its own process:
//   drag_source <result file> <x> <y> <item>...
// An item is a path, or ::drives (My Computer) or ::controls (the Control Panel). Items of
// one folder travel in that folder's own data object; any other mix in one made from their
// absolute identifier lists. The result file gets DoDragDrop's result (hex) and the effect
// the target chose: "00040100 4" is a drop that linked. Exit code 0 when the drag ran.
// Arguments are read from the wide command line, so items may be named in any script.
#include "../../src/win/handles.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

UniquePidl Absolute(const std::wstring& path) { return UniquePidl(ILCreateFromPathW(path.c_str())); }

UniquePidl Special(int csidl)
{
    ITEMIDLIST* list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list))) return nullptr;
    return UniquePidl(list);
}

std::wstring ParentOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The file manager's data object for items that share one folder.
ComPtr<IDataObject> FolderDataObject(IShellFolder* desktop, const std::wstring& folder,
                                     const std::vector<std::wstring>& paths)
{
    UniquePidl folderList = Absolute(folder);
    ComPtr<IShellFolder> parent;
    if (!folderList || FAILED(desktop->BindToObject(folderList.get(), nullptr, IID_IShellFolder,
                                                    reinterpret_cast<void**>(parent.GetAddressOf()))))
        return nullptr;
    std::vector<UniquePidl> lists;
    std::vector<LPCITEMIDLIST> raw;
    for (const std::wstring& path : paths) {
        lists.push_back(Absolute(path));
        if (!lists.back()) return nullptr;
        raw.push_back(ILFindLastID(lists.back().get()));
    }
    ComPtr<IDataObject> data;
    if (FAILED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(raw.size()), raw.data(), IID_IDataObject, nullptr,
                                     reinterpret_cast<void**>(data.GetAddressOf()))))
        return nullptr;
    return data;
}

// Items of the desktop's namespace at any depth: their absolute lists under the desktop.
ComPtr<IDataObject> DesktopDataObject(const std::vector<std::wstring>& items)
{
    std::vector<UniquePidl> lists;
    std::vector<LPCITEMIDLIST> raw;
    for (const std::wstring& item : items) {
        if (item == L"::drives") lists.push_back(Special(CSIDL_DRIVES));
        else if (item == L"::controls") lists.push_back(Special(CSIDL_CONTROLS));
        else lists.push_back(Absolute(item));
        if (!lists.back()) return nullptr;
        raw.push_back(lists.back().get());
    }
    UniquePidl root(static_cast<ITEMIDLIST*>(CoTaskMemAlloc(sizeof(USHORT))));
    if (!root) return nullptr;
    root->mkid.cb = 0;
    ComPtr<IDataObject> data;
    if (FAILED(CIDLData_CreateFromIDArray(root.get(), static_cast<UINT>(raw.size()), raw.data(), data.GetAddressOf())))
        return nullptr;
    return data;
}

// Lets the button go after a few polls, with the cursor where the caller put it.
class ReleasingSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *out = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on main's stack, which outlasts the drag.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override
    {
        if (escape) return DRAGDROP_S_CANCEL;
        return ++polls_ >= 4 ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int polls_ = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    ScopeGuard freeArguments([argv] { LocalFree(argv); });
    if (argc < 5) return 2;
    if (FAILED(OleInitialize(nullptr))) return 3;
    ScopeGuard uninitialize([] { OleUninitialize(); });
    std::vector<std::wstring> items(argv + 4, argv + argc);
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop))) return 3;
    bool oneFolder = true;
    for (const std::wstring& item : items)
        oneFolder = oneFolder && item.rfind(L"::", 0) != 0 && ParentOf(item) == ParentOf(items[0]);
    ComPtr<IDataObject> data = oneFolder ? FolderDataObject(desktop.Get(), ParentOf(items[0]), items)
                                         : DesktopDataObject(items);
    if (!data) return 4;

    SetCursorPos(_wtoi(argv[2]), _wtoi(argv[3]));
    ReleasingSource source;
    DWORD effect = DROPEFFECT_NONE;
    HRESULT hr = DoDragDrop(data.Get(), &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    FILE* out = _wfopen(argv[1], L"w");
    if (!out) return 5;
    std::fprintf(out, "%08lx %lu\n", static_cast<unsigned long>(hr), static_cast<unsigned long>(effect));
    return std::fclose(out) == 0 ? 0 : 5;
}
