#include "settings/konfig_rules.h"

#include <array>

namespace {
constexpr std::array<uint16_t, 4> StartModes{1, 7, 3, 0};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool BeginsWith(const std::string& text, std::string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(text[i]) != Upper(prefix[i])) return false;
    return true;
}
}  // namespace

int StartModeIndex(uint16_t showCommand)
{
    for (size_t i = 0; i < StartModes.size(); ++i)
        if (StartModes[i] == showCommand) return static_cast<int>(i);
    return -1;
}

uint16_t StartModeFromIndex(int index)
{
    if (index < 0 || index >= static_cast<int>(StartModes.size())) return 1;
    return StartModes[static_cast<size_t>(index)];
}

const char* AddItemMaskWarning(const ItemMask& mask, PathKind pfad, PathKind iconPfad)
{
    if (const char* warning = ModifyItemMaskWarning(mask, iconPfad)) return warning;
    if (!mask.shellItem && mask.useDefaultIcon && pfad == PathKind::Missing) return "default Icon file not found.";
    return nullptr;
}

const char* ModifyItemMaskWarning(const ItemMask& mask, PathKind iconPfad)
{
    if (!mask.useDefaultIcon && iconPfad != PathKind::File) return "Icon file not found.";
    return nullptr;
}

void ApplyItemMask(const ItemMask& mask, TOneItem& item)
{
    if (!mask.shellItem) {
        item.Pfad = mask.pfad;
        item.IsPIDL = false;
    }
    item.IconPfad = mask.useDefaultIcon ? std::string() : mask.iconPfad;
    item.IconNum = mask.useDefaultIcon ? DefaultIconNum : mask.iconNum;
    item.Startmode = StartModeFromIndex(mask.startModeChoice);
    item.AutoStartmode = StartModeFromIndex(mask.autoStartModeChoice);
    item.Autostart = mask.autostart;
    item.Parameters = mask.parameters;
    item.Description = mask.description;
    item.WorkingDir = mask.workingDir;
    item.RunAsAdmin = mask.runAsAdmin;
    item.FolderMenu = mask.folderMenu;
}

int FindItemByPrefix(const std::vector<std::unique_ptr<TOneItem>>& items, int start, std::string_view text,
                     bool wrap, const UpperCaseFn& upper)
{
    int count = static_cast<int>(items.size());
    if (start < 0) start = 0;
    if (start > count) start = count;
    // Whole texts are mapped: a letter's upper case may take another number of bytes.
    const std::string prefix = upper ? upper(text) : std::string(text);
    auto matches = [&](int i) {
        const std::string& description = items[static_cast<size_t>(i)]->Description;
        return upper ? upper(description).starts_with(prefix) : BeginsWith(description, prefix);
    };
    for (int i = start; i < count; ++i)
        if (matches(i)) return i;
    for (int i = 0; wrap && i < start; ++i)
        if (matches(i)) return i;
    return -1;
}

std::string ItemIndexText(bool menuSelected, int itemIndex, size_t itemCount)
{
    if (!menuSelected) return {};
    std::string count = std::to_string(itemCount);
    return (itemIndex < 0 ? std::string("-") : std::to_string(itemIndex + 1)) + "/" + count;
}

std::string CurrentMenuText(std::string_view menuName) { return "-( " + std::string(menuName) + " )-"; }

int MoveStepForKey(unsigned key, bool ctrl, bool across)
{
    constexpr unsigned Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28;
    if (!ctrl) return 0;
    if (key == Up || (across && key == Left)) return -1;
    if (key == Down || (across && key == Right)) return 1;
    return 0;
}
