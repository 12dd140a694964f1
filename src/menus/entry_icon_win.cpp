#include "menus/entry_icon_win.h"

#include "menus/entry_icon_rules.h"
#include "menus/picture_location_win.h"
#include "shell/environment_win.h"
#include "shell/idlist_win.h"
#include "win/text_conversion.h"

#include <shellapi.h>
#include <shlobj.h>

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

HICON IdListIcon(std::string_view bytes)
{
    // Bytes that are not exactly one complete list never reach the shell.
    ShellIdList list = IdListFromBytes(bytes);
    if (!list) return nullptr;
    return GetIdListIcon(list.get(), true, false).release();
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
