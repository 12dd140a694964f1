#include "settings/konfig_drop_rules.h"

#include "menus/entry_icon_rules.h"
#include "shell/path_text.h"
#include "text/unicode.h"

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

std::string WithFirstRaised(std::string text, const CaseMap& upper)
{
    if (text.empty()) return text;
    // The whole first character, however many bytes (or UTF-16 units) it takes; accents
    // that follow it stay as they are.
    size_t end = 0;
    (void)NextCodePoint(text, end);
    return upper(text.substr(0, end)) + text.substr(end);
}

PlainFileNames NamePlainFile(std::string_view upperPath, const CaseMap& lower, const CaseMap& upper)
{
    PlainFileNames names;
    names.pfad = upperPath;
    if (IsProgramPath(upperPath)) names.iconPfad = upperPath;
    std::string_view name = FileNamePart(upperPath);
    name.remove_suffix(ExtensionOf(name).size());
    names.description = WithFirstRaised(lower(std::string(name)), upper);
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
