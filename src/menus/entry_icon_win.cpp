#include "menus/entry_icon_win.h"

#include "menus/entry_icon_rules.h"
#include "menus/icon_directory.h"
#include "shell/environment_win.h"
#include "shell/idlist_win.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <memory>
#include <utility>
#include <vector>

namespace {

HICON ExtractFrom(const std::string& file, int32_t index)
{
    return ExtractIconW(GetModuleHandleW(nullptr), Wide(file).c_str(), static_cast<UINT>(index));
}

HICON ShellFileIcon(const std::string& path)
{
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(Wide(path).c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_ICONLOCATION)) return nullptr;
    return info.hIcon;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }
bool IsFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HICON IdListIcon(std::string_view bytes)
{
    // Bytes that are not exactly one complete list never reach the shell.
    ShellIdList list = IdListFromBytes(bytes);
    if (!list) return nullptr;
    return GetIdListIcon(list.get(), true, false).release();
}

// ---- where the picture comes from ----------------------------------------------------

// `pathOrList` is a path, or an identifier list with SHGFI_PIDL.
PictureLocation ShellImage(const wchar_t* pathOrList, UINT flags, DWORD attributes = 0)
{
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(pathOrList, attributes, &info, sizeof(info), flags | SHGFI_SYSICONINDEX)) return {};
    return PictureLocation{PictureOrigin::ShellImage, {}, info.iIcon};
}

// ---- a document's or folder's picture from its type's registration ---------------------

// The text of a value under HKEY_CLASSES_ROOT (`name` null: the key's default value).
std::optional<std::string> ClassText(const std::wstring& key, const wchar_t* name = nullptr)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey owned(handle);
    wchar_t text[2 * MAX_PATH] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    return Utf8(std::wstring_view(text, wcsnlen(text, size / sizeof(wchar_t))));
}

// Whether the key exists and, for a `name`, holds that value.
bool ClassHas(const std::wstring& key, const wchar_t* name = nullptr)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
    UniqueKey owned(handle);
    return !name || RegQueryValueExW(handle, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string SystemFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return Utf8(std::wstring_view(folder, length)) + "\\" + Utf8(name);
}

// SHSTOCKICONINFO and its ids, named by the headers only for newer targets than ours.
struct StockIconInfo {
    DWORD cbSize;
    HICON hIcon;
    int iSysImageIndex;
    int iIcon;
    wchar_t szPath[MAX_PATH];
};
constexpr int StockDocumentWithoutProgram = 0;  // SIID_DOCNOASSOC
constexpr int StockApplication = 2;             // SIID_APPLICATION

// The shell's generic program and document pictures, asked once.
const GenericPictures& Generic()
{
    static const GenericPictures pictures = [] {
        // Vista and later; Windows XP has none and the system library's resources serve.
        SystemFunction stock = SystemFunction::ByName("shell32.dll", "SHGetStockIconInfo");
        const auto location = [&stock](int id) -> std::optional<PictureLocation> {
            StockIconInfo info{};
            info.cbSize = sizeof(info);
            const std::optional<HRESULT> result =
                stock.Call<HRESULT(WINAPI*)(int, UINT, StockIconInfo*)>(id, 0u /* SHGSI_ICONLOCATION */, &info);
            if (!result || FAILED(*result) || !info.szPath[0]) return std::nullopt;
            return PictureLocation{PictureOrigin::IconFile, Utf8(info.szPath), info.iIcon};
        };
        return ChooseGenericPictures(location(StockApplication), location(StockDocumentWithoutProgram),
                                     SystemFile(L"shell32.dll"));
    }();
    return pictures;
}

// A registered icon file named without a folder ("url.dll") is looked for as the
// system looks for a library.
std::string FoundIconFile(const std::string& file)
{
    if (file.find_first_of("\\/:") != std::string::npos) return file;
    wchar_t found[MAX_PATH] = {};
    const DWORD length = SearchPathW(nullptr, Wide(file).c_str(), nullptr, MAX_PATH, found, nullptr);
    if (length == 0 || length >= MAX_PATH) return file;
    return Utf8(std::wstring_view(found, length));
}

// A registered icon, its file found and present; nothing otherwise.
std::optional<PictureLocation> RegisteredIcon(const std::string& value)
{
    std::optional<PictureLocation> location = ParseDefaultIcon(value);
    if (!location) return std::nullopt;
    location->file = FoundIconFile(ExpandEnvironment(location->file));
    if (!IsFile(Attributes(location->file))) return std::nullopt;
    return location;
}

// Where the shell draws a document of type `extension` (".TXT") from: the type's
// registered icon, else the generic document picture. Nothing
// when the shell draws each file of the type on its own ("%1", an icon handler, a
// shortcut): then only the shell's answer for the file will do.
std::optional<PictureLocation> TypeIcon(const std::string& extension)
{
    const std::optional<std::string> progId = extension.empty() ? std::nullopt : ClassText(Wide(extension));
    const PictureLocation& plain = Generic().document;
    if (!progId || progId->empty()) return plain;
    const std::wstring key = Wide(*progId);
    if (ClassHas(key + L"\\shellex\\IconHandler") || ClassHas(key, L"IsShortcut")) return std::nullopt;
    const std::optional<std::string> icon = ClassText(key + L"\\DefaultIcon");
    if (!icon) return plain;
    return RegisteredIcon(*icon);
}

// A plain folder's picture: the registered folder icon, else the system library's
// (resource 4).
PictureLocation FolderIcon()
{
    if (const std::optional<std::string> icon = ClassText(L"Folder\\DefaultIcon"))
        if (std::optional<PictureLocation> registered = RegisteredIcon(*icon)) return *registered;
    return PictureLocation{PictureOrigin::IconFile, SystemFile(L"shell32.dll"), -4};
}

// Asking the shell for a document's picture costs milliseconds under Wine and fills its
// system image lists at every size up to 256 pixels, megabytes for a few pictures, while
// for most types the picture is the type's registered icon. So documents and plain
// folders (neither read-only nor system: only those can carry an icon of their own) are
// drawn from the registration, read once per type; the shell is asked only for types
// drawn per file and for the other folders.
class TypePictures {
public:
    PictureLocation Document(const std::string& path, DWORD attributes)
    {
        if (IsFolder(attributes)) {
            if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) return ShellImage(Wide(path).c_str(), 0);
            return Lookup("\\", [] { return std::optional<PictureLocation>(FolderIcon()); }).value_or(PictureLocation{});
        }
        std::wstring wideType = Wide(ExtensionOf(path));
        CharUpperBuffW(wideType.data(), static_cast<DWORD>(wideType.size()));
        const std::string type = Utf8(wideType);
        if (std::optional<PictureLocation> typed = Lookup(type, [&type] { return TypeIcon(type); })) return *typed;
        return ShellImage(Wide(path).c_str(), 0);
    }

private:
    template <typename Read>
    std::optional<PictureLocation> Lookup(const std::string& type, Read read)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto known = byType_.find(type);
            if (known != byType_.end()) return known->second;
        }
        std::optional<PictureLocation> found = read();
        std::lock_guard<std::mutex> lock(mutex_);
        return byType_.emplace(type, std::move(found)).first->second;
    }

    std::mutex mutex_;
    std::map<std::string, std::optional<PictureLocation>> byType_;  // nothing: ask per document
};

PictureLocation DocumentImage(const std::string& path)
{
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    static TypePictures types;
    return types.Document(path, attributes);
}

PictureLocation IconFileSource(std::string file, int32_t index, bool programOwn = false)
{
    if (!IsFile(Attributes(file))) return {};
    return PictureLocation{PictureOrigin::IconFile, std::move(file), index, programOwn};
}

PictureLocation ResolveSource(const EntryIconRequest& request)
{
    const std::string path = request.IsPIDL ? request.Pfad : ExpandEnvironment(request.Pfad);
    switch (EntryIconSourceFor(path, request.IsPIDL, request.IconNum)) {
    case EntryIconSource::IdListDefault: {
        ShellIdList list = IdListFromBytes(path);
        if (!list) return {};
        // A list naming a file or folder shows what its path shows; only other shell
        // items need the shell's own picture.
        wchar_t named[MAX_PATH] = {};
        if (SHGetPathFromIDListW(list.get(), named) && named[0])
            return ResolveSource(EntryIconRequest{Utf8(named), false, DefaultIconNum, {}});
        return ShellImage(reinterpret_cast<const wchar_t*>(list.get()), SHGFI_PIDL);
    }
    case EntryIconSource::IconFile: {
        // The same picture as the program's default icon, so the same key: both fall back alike.
        std::string file = ExpandEnvironment(request.IconPfad);
        const bool programOwn = request.IconNum == 0 && IsProgramPath(file);
        return IconFileSource(std::move(file), request.IconNum, programOwn);
    }
    case EntryIconSource::ProgramFirst:
        // A folder named like a program has no icons of its own: the shell's folder icon.
        if (IsFolder(Attributes(path))) return DocumentImage(path);
        return IconFileSource(path, 0, true);
    case EntryIconSource::ShellFileIcon: return DocumentImage(path);
    case EntryIconSource::None: break;
    }
    return {};
}

// ---- pictures from icon handles ----------------------------------------------------------

std::optional<std::vector<uint32_t>> DibPixels(HDC dc, HBITMAP bitmap, int width, int height)
{
    // 32 bits a pixel, rows top down.
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height)
        return std::nullopt;
    return pixels;
}

// ---- pictures from icon files, programs and libraries ------------------------------------

struct ModuleDeleter {
    using pointer = HMODULE;
    void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

std::optional<PixelImage> PictureFromBits(std::string_view bits, const IconDirEntry& entry)
{
    // The bits of one picture, as in an RT_ICON resource (a DIB or a PNG). Reading a
    // plain DIB here spares making an icon and reading it back.
    if (std::optional<PixelImage> decoded = DecodeIconImage(bits)) return decoded;
    auto* data = reinterpret_cast<BYTE*>(const_cast<char*>(bits.data()));
    UniqueIcon icon(CreateIconFromResourceEx(data, static_cast<DWORD>(bits.size()), TRUE, 0x00030000, entry.width,
                                             entry.height, LR_DEFAULTCOLOR));
    return IconPicture(icon.get());
}

// RT_ICON and RT_GROUP_ICON are numbers; the headers give them the 8-bit type.
const wchar_t* IconType() { return MAKEINTRESOURCEW(1); }
const wchar_t* GroupIconType() { return MAKEINTRESOURCEW(14); }

std::string_view ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type)
{
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const char*>(data), SizeofResource(module, found)};
}

// The name of the index-th icon group, counted as ExtractIcon counts: in the order of
// the resource directory. A resource name that is a string is kept as text.
struct GroupSearch {
    int32_t remaining;
    ULONG_PTR id = 0;
    std::wstring text;
    bool found = false;
};

BOOL CALLBACK CountGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    auto* search = reinterpret_cast<GroupSearch*>(param);
    if (search->remaining-- > 0) return TRUE;
    if (IS_INTRESOURCE(name)) search->id = reinterpret_cast<ULONG_PTR>(name);
    else search->text = name;
    search->found = true;
    return FALSE;
}

std::optional<PixelImage> ModulePicture(const std::string& file, int32_t index, int size)
{
    UniqueModule module(LoadLibraryExW(Wide(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return std::nullopt;
    std::string_view group;
    if (index < 0) {
        group = ResourceBytes(module.get(), MAKEINTRESOURCEW(-index), GroupIconType());
    } else {
        GroupSearch search{index};
        EnumResourceNamesW(module.get(), GroupIconType(), CountGroup,
                           reinterpret_cast<LONG_PTR>(&search));
        if (!search.found) return std::nullopt;
        group = ResourceBytes(module.get(), search.text.empty() ? MAKEINTRESOURCEW(search.id) : search.text.c_str(),
                              GroupIconType());
    }
    const std::vector<IconDirEntry> entries = ParseIconDirectory(group, true);
    const std::optional<size_t> chosen = ChooseIconEntry(entries, size);
    if (!chosen) return std::nullopt;
    const IconDirEntry& entry = entries[*chosen];
    std::string_view bits = ResourceBytes(module.get(), MAKEINTRESOURCEW(entry.where), IconType());
    if (bits.empty()) return std::nullopt;
    return PictureFromBits(bits, entry);
}

std::optional<std::string> ReadRest(HANDLE file, std::string head)
{
    LARGE_INTEGER size{};
    // An icon file beyond a few megabytes is no icon file.
    if (!GetFileSizeEx(file, &size) || size.QuadPart > (16 << 20)) return std::nullopt;
    std::string bytes = std::move(head);
    const size_t have = bytes.size();
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (bytes.size() > have &&
        (!ReadFile(file, bytes.data() + have, static_cast<DWORD>(bytes.size() - have), &read, nullptr) ||
         read != bytes.size() - have))
        return std::nullopt;
    return bytes;
}

std::optional<PixelImage> IconFilePicture(HANDLE file, std::string head, int size)
{
    std::optional<std::string> bytes = ReadRest(file, std::move(head));
    if (!bytes) return std::nullopt;
    const std::vector<IconDirEntry> entries = ParseIconDirectory(*bytes, false);
    const std::optional<size_t> chosen = ChooseIconEntry(entries, size);
    if (!chosen) return std::nullopt;
    std::optional<std::string_view> bits = IconFileImage(*bytes, entries[*chosen]);
    if (!bits) return std::nullopt;
    return PictureFromBits(*bits, entries[*chosen]);
}

// What no own reading understands (a 16-bit program, say): the system's extraction at
// that size, unsmoothed.
std::optional<PixelImage> ExtractedPicture(const std::string& file, int32_t index, int size)
{
    HICON handle = nullptr;
    UINT id = 0;
    if (PrivateExtractIconsW(Wide(file).c_str(), index, size, size, &handle, &id, 1, LR_DEFAULTCOLOR) != 1 || !handle)
        return std::nullopt;
    return IconPicture(UniqueIcon(handle).get());
}

std::optional<PixelImage> FilePicture(const std::string& path, int32_t index, int size)
{
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string head(6, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), head.data(), 6, &read, nullptr)) return std::nullopt;
    head.resize(read);
    if (head.size() >= 2 && head[0] == 'M' && head[1] == 'Z') {
        file.reset();
        if (std::optional<PixelImage> picture = ModulePicture(path, index, size)) return picture;
        return ExtractedPicture(path, index, size);
    }
    // An icon file holds one icon: only its first can be asked for.
    if (head.size() == 6 && head.compare(0, 4, std::string_view("\0\0\1\0", 4)) == 0)
        return index == 0 ? IconFilePicture(file.get(), std::move(head), size) : std::nullopt;
    return std::nullopt;
}

// ---- pictures of the shell's system image lists ------------------------------------------

struct ShellList {
    ComPtr<IUnknown> owner;  // keeps the list alive
    HIMAGELIST handle = nullptr;
    int size = 0;
};

// The system image lists Wine and Windows offer, small to large; SHIL_JUMBO (4) is
// named only for newer targets than ours.
std::vector<ShellList> MakeShellLists()
{
    // IID_IImageList: an image list handle is its IImageList.
    static constexpr GUID imageListId{0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};
    std::vector<ShellList> found;
    for (int kind : {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE, 4}) {
        ShellList list;
        void* object = nullptr;
        if (FAILED(SHGetImageList(kind, imageListId, &object)) || !object) continue;
        list.owner.Attach(static_cast<IUnknown*>(object));
        list.handle = static_cast<HIMAGELIST>(object);
        int width = 0, height = 0;
        if (!ImageList_GetIconSize(list.handle, &width, &height) || width <= 0) continue;
        list.size = width;
        found.push_back(std::move(list));
    }
    std::sort(found.begin(), found.end(), [](const ShellList& a, const ShellList& b) { return a.size < b.size; });
    return found;
}

// The lists belong to the apartment of the thread that asked for them: each thread has
// its own and lets them go before it leaves COM (ReleaseThreadPictureLists).
std::mutex shellListsMutex;
std::map<DWORD, std::vector<ShellList>> shellListsByThread;

const std::vector<ShellList>& ShellLists()
{
    const DWORD thread = GetCurrentThreadId();
    {
        std::lock_guard lock(shellListsMutex);
        if (auto found = shellListsByThread.find(thread); found != shellListsByThread.end()) return found->second;
    }
    std::vector<ShellList> made = MakeShellLists();
    std::lock_guard lock(shellListsMutex);
    // Map nodes stay put while other threads add theirs.
    return shellListsByThread.emplace(thread, std::move(made)).first->second;
}

std::optional<PixelImage> ShellPicture(int index, int size)
{
    const std::vector<ShellList>& lists = ShellLists();
    if (lists.empty()) return std::nullopt;
    const ShellList* chosen = &lists.back();
    for (const ShellList& list : lists)
        if (list.size >= size) {
            chosen = &list;
            break;
        }
    UniqueIcon icon(ImageList_GetIcon(chosen->handle, index, ILD_TRANSPARENT));
    return IconPicture(icon.get());
}

}  // namespace

UniqueIcon GetEntryIcon(std::string_view path, bool isPidl, int32_t iconNum, const std::string& iconPath,
                        HICON placeholder)
{
    HICON handle = nullptr;
    const std::string expanded = isPidl ? std::string(path) : ExpandEnvironment(path);
    switch (EntryIconSourceFor(expanded, isPidl, iconNum)) {
    case EntryIconSource::IdListDefault: handle = IdListIcon(path); break;
    case EntryIconSource::IconFile: handle = ExtractFrom(ExpandEnvironment(iconPath), iconNum); break;
    case EntryIconSource::ProgramFirst:
        handle = ExtractFrom(expanded, 0);
        // A folder named like a program has no icons of its own: the shell's folder icon.
        if (reinterpret_cast<UINT_PTR>(handle) <= 1) {
            const DWORD attributes = Attributes(expanded);
            if (IsFolder(attributes)) handle = ShellFileIcon(expanded);
            else if (IsFile(attributes)) handle = ExtractFrom(Generic().program.file, Generic().program.index);
        }
        break;
    case EntryIconSource::ShellFileIcon: handle = ShellFileIcon(expanded); break;
    case EntryIconSource::None: break;
    }
    // ExtractIcon gives 1 for a file that is no program, library or icon file.
    if (reinterpret_cast<UINT_PTR>(handle) > 1) return UniqueIcon(handle);
    return UniqueIcon(placeholder ? CopyIcon(placeholder) : nullptr);
}

std::string EntryPictureKey(const EntryIconRequest& request) { return PictureKey(ResolveSource(request)); }

std::optional<PixelImage> MakeEntryPicture(const EntryIconRequest& request, int size)
{
    if (size < 1) return std::nullopt;
    const PictureLocation source = ResolveSource(request);
    std::optional<PixelImage> picture;
    switch (source.origin) {
    case PictureOrigin::IconFile:
        picture = FilePicture(source.file, source.index, size);
        if (!picture && source.programOwn) picture = FilePicture(Generic().program.file, Generic().program.index, size);
        break;
    case PictureOrigin::ShellImage: picture = ShellPicture(source.index, size); break;
    case PictureOrigin::None: break;
    }
    if (!picture) return std::nullopt;
    PixelImage scaled = ScalePicture(*picture, size, size);
    if (scaled.pixels.empty()) return std::nullopt;
    return scaled;
}

void ReleaseThreadPictureLists()
{
    std::vector<ShellList> lists;
    {
        std::lock_guard lock(shellListsMutex);
        auto found = shellListsByThread.find(GetCurrentThreadId());
        if (found == shellListsByThread.end()) return;
        lists = std::move(found->second);
        shellListsByThread.erase(found);
    }
}

std::optional<PixelImage> IconPicture(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return std::nullopt;
    UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP shape{};
    if (!mask || !GetObjectW(mask.get(), sizeof(shape), &shape)) return std::nullopt;
    // Without a colour bitmap the mask is twice as high: AND picture above, XOR below.
    const int width = shape.bmWidth, height = colour ? shape.bmHeight : shape.bmHeight / 2;
    if (width <= 0 || height <= 0) return std::nullopt;
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return std::nullopt;
    std::optional<std::vector<uint32_t>> andBits = DibPixels(dc.get(), static_cast<HBITMAP>(mask.get()), width,
                                                             colour ? height : 2 * height);
    std::optional<std::vector<uint32_t>> colourBits =
        colour ? DibPixels(dc.get(), static_cast<HBITMAP>(colour.get()), width, height) : std::nullopt;
    if (!andBits || (colour && !colourBits)) return std::nullopt;

    PixelImage picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height))};
    bool hasAlpha = false;
    if (colourBits)
        for (uint32_t p : *colourBits) hasAlpha = hasAlpha || (p >> 24) != 0;
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint32_t shown = colourBits ? (*colourBits)[i] : (*andBits)[i + picture.pixels.size()];
        if (hasAlpha) {
            picture.pixels[i] = (shown >> 24) ? shown : 0u;
            continue;
        }
        // A set mask bit shows the background; the few pixels that invert it are dropped.
        const bool transparent = ((*andBits)[i] & 0xFFFFFFu) != 0;
        picture.pixels[i] = transparent ? 0u : 0xFF000000u | (shown & 0xFFFFFFu);
    }
    return picture;
}
