#include "menus/icon_file_pictures_win.h"

#include "menus/icon_directory.h"
#include "menus/icon_pixels_win.h"
#include "shell/environment_win.h"
#include "win/handles.h"
#include "win/text_conversion.h"

#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

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

}  // namespace

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

UniqueIcon FileIcon(const std::string& path, int32_t index, int size)
{
    if (path.empty() || size < 1) return {};
    std::optional<PixelImage> picture = FilePicture(ExpandEnvironment(path), index, size);
    if (!picture) return {};
    const PixelImage scaled = ScalePicture(*picture, size, size);
    return scaled.pixels.empty() ? UniqueIcon() : PictureIcon(scaled);
}
