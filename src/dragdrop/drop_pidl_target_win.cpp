#include "dragdrop/drop_pidl_target_win.h"

#include "dragdrop/idlist_array.h"
#include "text/code_page.h"
#include "win/text_conversion.h"

#include <ole2.h>

#include <array>
#include <cstring>
#include <string_view>

namespace {

FORMATETC HGlobalFormat(UINT format)
{
    FORMATETC f{};
    f.cfFormat = static_cast<CLIPFORMAT>(format);
    f.ptd = nullptr;
    f.dwAspect = DVASPECT_CONTENT;
    f.lindex = -1;
    f.tymed = TYMED_HGLOBAL;
    return f;
}

// Releases a medium the data object handed over, whatever happens to it.
class Medium {
public:
    Medium() = default;
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    ~Medium()
    {
        if (got_) ReleaseStgMedium(&medium_);
    }
    [[nodiscard]] bool Get(IDataObject* data, FORMATETC format)
    {
        got_ = data && data->GetData(&format, &medium_) == S_OK;
        return got_;
    }
    bool IsGlobal() const { return got_ && medium_.tymed == TYMED_HGLOBAL; }
    HGLOBAL Global() const { return medium_.hGlobal; }

private:
    STGMEDIUM medium_{};
    bool got_ = false;
};

// The locked block as bytes: GlobalSize bounds every read of data from another process.
std::string_view Bytes(const GlobalLockGuard& lock)
{
    return lock ? std::string_view(static_cast<const char*>(lock.data()), lock.size()) : std::string_view();
}

// Parses the array held in `block` into `store`, which is left as it was on failure.
bool ParseIdListBlock(HGLOBAL block, std::vector<std::string>& store)
{
    GlobalLockGuard lock(block);
    if (!lock) return false;
    return ParseIdListArray(Bytes(lock), store);
}

}  // namespace

int TPIDLTargetStrings::Count() const
{
    int lists = owner_.DropListCount();
    return lists < 2 ? 0 : lists - 1;
}

TextResult TPIDLTargetStrings::Strings(int index) const
{
    if (index < 0 || index >= Count()) return {{}, "Filename index out of range"};
    const auto& store = owner_.IdListStore();
    std::string joined = JoinIdLists(store[0], store[static_cast<size_t>(index) + 1]);
    std::array<wchar_t, MAX_PATH> path{};
    if (!SHGetPathFromIDListW(reinterpret_cast<const ITEMIDLIST*>(joined.data()), path.data())) return {};
    path.back() = L'\0';
    return {Utf8(path.data()), {}};
}

TDropPIDLTarget::TDropPIDLTarget()
    : idListFormat_(HGlobalFormat(FmtIdListArray)), nameMapFormat_(HGlobalFormat(FmtFileNameMap)),
      nameMapWFormat_(HGlobalFormat(FmtFileNameMapW))
{
}

bool TDropPIDLTarget::OffersAcceptedFormat()
{
    return DataObject() && DataObject()->QueryGetData(&idListFormat_) == S_OK;
}

void TDropPIDLTarget::DiscardDropData()
{
    idListStore_.clear();
    mappedNames_.clear();
}

bool TDropPIDLTarget::ReadDropData()
{
    DiscardDropData();
    {
        Medium medium;
        if (!medium.Get(DataObject(), idListFormat_) || !medium.IsGlobal()) return false;
        if (!ParseIdListBlock(medium.Global(), idListStore_)) {
            // A refused block leaves nothing half read behind.
            idListStore_.clear();
            return false;
        }
    }
    ReadNameMap();
    return true;
}

void TDropPIDLTarget::ReadNameMap()
{
    // The wide map first: the 8-bit one cannot hold every name.
    Medium wide;
    if (wide.Get(DataObject(), nameMapWFormat_)) {
        if (!wide.IsGlobal()) return;
        GlobalLockGuard lock(wide.Global());
        for (const std::u16string& name : SplitNameMapW(Bytes(lock)))
            mappedNames_.push_back(Utf8({reinterpret_cast<const wchar_t*>(name.data()), name.size()}));
    } else {
        Medium medium;
        if (!medium.Get(DataObject(), nameMapFormat_) || !medium.IsGlobal()) return;
        GlobalLockGuard lock(medium.Global());
        for (const std::string& name : SplitNameMap(Bytes(lock))) mappedNames_.push_back(SystemCodePage().ToUtf8(name));
    }
    if (mappedNames_.size() != static_cast<size_t>(dropFileNames_.Count())) mappedNames_.clear();
}

ShellIdList TDropPIDLTarget::DropIdList(int index) const
{
    if (index < 1 || index >= DropListCount()) return nullptr;
    std::string joined = JoinIdLists(idListStore_[0], idListStore_[static_cast<size_t>(index)]);
    ShellIdList list;
    if (IMalloc* malloc = ShellMalloc()) list.reset(static_cast<ITEMIDLIST*>(malloc->Alloc(joined.size())));
    else list = IdListAlloc(joined.size());
    if (list) std::memcpy(list.get(), joined.data(), joined.size());
    return list;
}

DWORD TDropPIDLTarget::ClipboardDropEffect()
{
    if (!FmtIdListArray || !IsClipboardFormatAvailable(FmtIdListArray)) return 0;
    {
        if (!OpenClipboard(nullptr)) return 0;
        ScopeGuard close([] { CloseClipboard(); });
        idListStore_.clear();
        if (!ParseIdListBlock(GetClipboardData(FmtIdListArray), idListStore_)) {
            idListStore_.clear();
            return 0;
        }
    }
    DWORD effect = TDropTarget::ClipboardDropEffect();
    return effect ? effect : DROPEFFECT_COPY;
}
