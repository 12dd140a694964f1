#include "drop_support.h"

#include "win/text_conversion.h"

#include <cstring>

namespace {

ShellIdList ParseIn(IShellFolder* folder, const std::string& name)
{
    std::wstring wide = Wide(name);
    ITEMIDLIST* list = nullptr;
    if (FAILED(folder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &list, nullptr))) return nullptr;
    return ShellIdList(list);
}

// A COM object: it lives by its reference count and deletes itself.
class CountingSource final : public IDropSource {
public:
    CountingSource(int polls, int* continued) : polls_(polls), continued_(continued) {}
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
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override
    {
        if (escape) return DRAGDROP_S_CANCEL;
        ++*continued_;
        return *continued_ >= polls_ ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    ~CountingSource() = default;
    volatile LONG refs_ = 1;
    int polls_;
    int* continued_;
};

}  // namespace

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

bool MakeLink(const std::string& file, const LinkShape& wanted)
{
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.GetAddressOf()))))
        return false;
    if (wanted.targetList) link->SetIDList(wanted.targetList);
    else link->SetPath(Wide(wanted.target).c_str());
    if (!wanted.arguments.empty()) link->SetArguments(Wide(wanted.arguments).c_str());
    if (!wanted.description.empty()) link->SetDescription(Wide(wanted.description).c_str());
    if (!wanted.iconPath.empty()) link->SetIconLocation(Wide(wanted.iconPath).c_str(), wanted.iconIndex);
    link->SetShowCmd(wanted.showCmd);
    ComPtr<IPersistFile> persist;
    if (FAILED(link.As(&persist))) return false;
    return SUCCEEDED(persist->Save(Wide(file).c_str(), TRUE));
}

ShellIdList AbsoluteList(const std::string& path)
{
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    return ParseIn(desktop.Get(), path);
}

std::string ListBytes(const ShellIdList& list) { return IdListToBytes(list.get()); }

ComPtr<IDataObject> ShellDataObject(const std::string& folder, const std::vector<std::string>& names)
{
    ComPtr<IShellFolder> desktop, parent;
    ShellIdList folderList = AbsoluteList(folder);
    if (!folderList || FAILED(SHGetDesktopFolder(&desktop)) ||
        FAILED(desktop->BindToObject(folderList.get(), nullptr, IID_IShellFolder,
                                     reinterpret_cast<void**>(parent.GetAddressOf()))))
        return nullptr;
    std::vector<ShellIdList> children;
    std::vector<const ITEMIDLIST*> raw;
    for (const std::string& name : names) {
        children.push_back(ParseIn(parent.Get(), name));
        if (!children.back()) return nullptr;
        raw.push_back(children.back().get());
    }
    ComPtr<IDataObject> data;
    if (FAILED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(raw.size()), raw.data(), IID_IDataObject, nullptr,
                                     reinterpret_cast<void**>(data.GetAddressOf()))))
        return nullptr;
    return data;
}

ComPtr<IDataObject> DesktopDataObject(const std::vector<const ITEMIDLIST*>& items)
{
    ShellIdList desktop = IdListAlloc(2);
    ComPtr<IDataObject> data;
    if (!desktop ||
        FAILED(CIDLData_CreateFromIDArray(desktop.get(), static_cast<UINT>(items.size()),
                                          const_cast<const ITEMIDLIST**>(items.data()), data.GetAddressOf())))
        return nullptr;
    return data;
}

bool PutOnClipboard(HWND owner, const std::map<UINT, std::string>& blocks)
{
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    bool ok = true;
    for (const auto& [format, bytes] : blocks) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!block) return CloseClipboard(), false;
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        ok = ok && SetClipboardData(format, block) != nullptr;
    }
    CloseClipboard();
    return ok;
}

ComPtr<IDataObject> BlockDataObject(HWND owner, const std::map<UINT, std::string>& blocks)
{
    ComPtr<IDataObject> data;
    if (!PutOnClipboard(owner, blocks) || FAILED(OleGetClipboard(data.GetAddressOf()))) return nullptr;
    return data;
}

ComPtr<IDropSource> CountingDropSource(int polls, int* continued)
{
    ComPtr<IDropSource> source;
    source.Attach(new CountingSource(polls, continued));
    return source;
}

std::string IdListArrayBlock(const std::vector<std::string>& lists)
{
    auto u32 = [](size_t v) {
        uint32_t x = static_cast<uint32_t>(v);
        return std::string(reinterpret_cast<const char*>(&x), 4);
    };
    std::string head = u32(lists.size() - 1), body;
    size_t offset = 4 + 4 * lists.size();
    for (const std::string& list : lists) {
        head += u32(offset + body.size());
        body += list;
    }
    return head + body;
}
