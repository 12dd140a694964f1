#include "menus/entry_icon_win.h"

#include "menus/entry_icon_rules.h"
#include "shell/idlist_win.h"

#include <shellapi.h>

namespace {

HICON ExtractFrom(const std::string& file, int32_t index)
{
    return ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), static_cast<UINT>(index));
}

HICON ShellFileIcon(const std::string& path)
{
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_ICONLOCATION)) return nullptr;
    return info.hIcon;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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
    switch (EntryIconSourceFor(path, isPidl, iconNum)) {
    case EntryIconSource::IdListDefault: handle = IdListIcon(path); break;
    case EntryIconSource::IconFile: handle = ExtractFrom(iconPath, iconNum); break;
    case EntryIconSource::ProgramFirst:
        handle = ExtractFrom(std::string(path), 0);
        // A folder named like a program has no icons of its own: the shell's folder icon.
        if (reinterpret_cast<UINT_PTR>(handle) <= 1 && IsFolder(std::string(path)))
            handle = ShellFileIcon(std::string(path));
        break;
    case EntryIconSource::ShellFileIcon: handle = ShellFileIcon(std::string(path)); break;
    case EntryIconSource::None: break;
    }
    // ExtractIconA gives 1 for a file that is no program, library or icon file.
    if (reinterpret_cast<UINT_PTR>(handle) > 1) return UniqueIcon(handle);
    return UniqueIcon(placeholder ? CopyIcon(placeholder) : nullptr);
}
