#include "settings/konfig_drop_rules.h"

#include "menus/entry_icon_rules.h"
#include "shell/path_text.h"

#include <algorithm>

bool IsBlankText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

bool IsShortcutFile(std::string_view upperPath)
{
    std::string_view ext = ExtensionOf(upperPath);
    return ext == ".LNK" || ext == ".PIF";
}

PlainFileNames NamePlainFile(std::string_view upperPath, const CaseMap& lower)
{
    PlainFileNames names;
    names.pfad = upperPath;
    if (IsProgramPath(upperPath)) names.iconPfad = upperPath;
    std::string_view name = FileNamePart(upperPath);
    name.remove_suffix(ExtensionOf(name).size());
    names.description = lower(std::string(name));
    if (!names.description.empty() && names.description[0] >= 'a' && names.description[0] <= 'z')
        names.description[0] = static_cast<char>(names.description[0] - 'a' + 'A');
    return names;
}

std::string ShortcutIconPfad(std::string_view iconLocation, std::string_view targetPath)
{
    if (!iconLocation.empty()) return std::string(iconLocation);
    return IsProgramPath(targetPath) ? std::string(targetPath) : std::string();
}

std::string ShortcutDescription(std::string_view linkDescription, std::string_view displayName)
{
    if (!linkDescription.empty()) return std::string(linkDescription);
    std::string name(FileNamePart(displayName));
    std::string ext(ExtensionOf(name));
    if (!ext.empty()) name.erase(name.find(ext), ext.size());
    return name;
}
