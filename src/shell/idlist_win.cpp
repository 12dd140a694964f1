#include "shell/idlist_win.h"

#include "text/code_page.h"
#include "win/text_conversion.h"

#include <shellapi.h>

#include <cstring>
#include <string_view>

namespace {

// Missing from mingw's headers.
constexpr DWORD ShgdnIncludeNonFileSys = 0x2000;

const uint8_t* Bytes(const ITEMIDLIST* list) { return reinterpret_cast<const uint8_t*>(list); }

ComPtr<IMalloc> ShellAllocator()
{
    ComPtr<IMalloc> malloc;
    if (FAILED(SHGetMalloc(&malloc))) return nullptr;
    return malloc;
}

// The text of a STRRET. `element` is the list that was handed to GetDisplayNameOf:
// an offset text lives inside its first element and is never read past that element.
std::string StrRetToText(STRRET& strret, const ITEMIDLIST* element)
{
    switch (strret.uType) {
    case STRRET_WSTR: {
        ScopeGuard release([&strret] {
            IdListFree(strret.pOleStr);
            strret.pOleStr = nullptr;
        });
        std::string text;
        if (const wchar_t* wide = strret.pOleStr) text = Utf8(wide);
        return text;
    }
    // The 8-bit forms are in the system code page.
    case STRRET_OFFSET: {
        if (!element) return {};
        uint16_t cb = 0;
        std::memcpy(&cb, element, sizeof(cb));
        if (strret.uOffset >= cb) return {};
        std::string_view rest(reinterpret_cast<const char*>(Bytes(element)) + strret.uOffset, cb - strret.uOffset);
        return SystemCodePage().ToUtf8(rest.substr(0, rest.find('\0')));
    }
    case STRRET_CSTR: {
        std::string_view text(strret.cStr, sizeof(strret.cStr));
        return SystemCodePage().ToUtf8(text.substr(0, text.find('\0')));
    }
    default: return {};
    }
}

}  // namespace

void IdListFree(void* list) noexcept
{
    if (!list) return;
    if (ComPtr<IMalloc> malloc = ShellAllocator()) malloc->Free(list);
    else CoTaskMemFree(list);  // the shell allocator is the task allocator: never leak
}

ShellIdList IdListAlloc(size_t size)
{
    ComPtr<IMalloc> malloc = ShellAllocator();
    if (!malloc) return nullptr;
    ShellIdList block(static_cast<ITEMIDLIST*>(malloc->Alloc(size)));
    if (block) std::memset(block.get(), 0, size);
    return block;
}

const ITEMIDLIST* IdListNext(const ITEMIDLIST* element)
{
    return reinterpret_cast<const ITEMIDLIST*>(IdListNext(Bytes(element)));
}

size_t IdListSize(const ITEMIDLIST* list) { return IdListSize(Bytes(list)); }

size_t IdListCount(const ITEMIDLIST* list) { return IdListCount(Bytes(list)); }

const ITEMIDLIST* IdListLast(const ITEMIDLIST* list)
{
    return reinterpret_cast<const ITEMIDLIST*>(IdListLast(Bytes(list)));
}

std::string IdListToBytes(const ITEMIDLIST* list)
{
    return std::string(reinterpret_cast<const char*>(list), IdListSize(list));
}

ShellIdList IdListFromBytes(std::string_view bytes)
{
    if (!IsCompleteIdList(bytes)) return nullptr;
    ShellIdList list = IdListAlloc(bytes.size());
    if (list) std::memcpy(list.get(), bytes.data(), bytes.size());
    return list;
}

ParentFolder GetParentFolder(ITEMIDLIST* list)
{
    ParentFolder result;
    if (!list) return result;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return result;
    result.last = const_cast<ITEMIDLIST*>(IdListLast(list));
    if (result.last == list) {
        result.folder = std::move(desktop);
        return result;
    }
    // Elements are not aligned: the size field is copied, never read in place.
    uint8_t savedCb[2];
    std::memcpy(savedCb, result.last, sizeof(savedCb));
    std::memset(result.last, 0, sizeof(savedCb));
    ScopeGuard restore([&] { std::memcpy(result.last, savedCb, sizeof(savedCb)); });
    ComPtr<IShellFolder> parent;
    if (SUCCEEDED(desktop->BindToObject(list, nullptr, IID_IShellFolder, reinterpret_cast<void**>(parent.GetAddressOf()))))
        result.folder = std::move(parent);
    return result;
}

std::string GetDisplayNameInFolder(IShellFolder* folder, const ITEMIDLIST* list, bool forParsing)
{
    if (!folder) return {};
    DWORD flags = ShgdnIncludeNonFileSys | (forParsing ? SHGDN_FORPARSING : 0);
    STRRET strret{};
    if (folder->GetDisplayNameOf(list, flags, &strret) != S_OK) return {};
    return StrRetToText(strret, list);
}

std::string GetIdListDisplayName(ITEMIDLIST* list, bool inFolder, bool forAddressBar, bool forParsing)
{
    DWORD flags = ShgdnIncludeNonFileSys;
    if (inFolder) flags |= SHGDN_INFOLDER;
    if (forAddressBar) flags |= SHGDN_FORADDRESSBAR;
    if (forParsing) flags |= SHGDN_FORPARSING;
    ParentFolder parent = GetParentFolder(list);
    if (!parent.folder) return {};
    STRRET strret{};
    if (parent.folder->GetDisplayNameOf(parent.last, flags, &strret) != S_OK) return {};
    return StrRetToText(strret, parent.last);
}

UniqueIcon GetIdListIcon(const ITEMIDLIST* list, bool large, bool open)
{
    if (!list) return nullptr;
    UINT flags = SHGFI_PIDL | SHGFI_ICON | SHGFI_SYSICONINDEX;
    if (open) flags |= SHGFI_OPENICON;
    if (!large) flags |= SHGFI_SMALLICON;
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof(info), flags);
    return UniqueIcon(info.hIcon);
}
