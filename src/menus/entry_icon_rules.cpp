#include "menus/entry_icon_rules.h"

#include "config/model.h"

std::string_view ExtensionOf(std::string_view path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string_view ext = path.substr(dot);
    if (ext.find_first_of("\\:") != std::string_view::npos) return {};
    return ext;
}

bool IsProgramPath(std::string_view path)
{
    std::string_view ext = ExtensionOf(path);
    if (ext.size() != 4) return false;
    static constexpr char exe[] = ".EXE";
    for (size_t i = 0; i < 4; ++i) {
        char c = ext[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != exe[i]) return false;
    }
    return true;
}

EntryIconSource EntryIconSourceFor(std::string_view path, bool isPidl, int32_t iconNum)
{
    if (iconNum != DefaultIconNum) return EntryIconSource::IconFile;
    if (isPidl) return EntryIconSource::IdListDefault;
    if (IsProgramPath(path)) return EntryIconSource::ProgramFirst;
    if (!path.empty()) return EntryIconSource::ShellFileIcon;
    return EntryIconSource::None;
}
