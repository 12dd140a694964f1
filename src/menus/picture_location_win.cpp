#include "menus/picture_location_win.h"

#include "shell/environment_win.h"
#include "shell/idlist_win.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <mutex>
#include <optional>
#include <utility>

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }
bool IsFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

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
        const std::string type = UpperCaseText(ExtensionOf(path));
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

}  // namespace

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
