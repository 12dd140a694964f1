#include "config/config_file.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

#include "config/values.h"
#include "shell/idlist_bytes.h"

namespace {

class FileSource : public ProfileSource {
public:
    explicit FileSource(const ProfileFile& file) : file_(file) {}
    std::string GetString(const std::string& section, const char* key, const char* def,
                          size_t bufferSize) const override
    {
        return file_.GetString(section, key, def, bufferSize);
    }

private:
    const ProfileFile& file_;
};

class FileSink : public ProfileSink {
public:
    explicit FileSink(ProfileFile& file) : file_(file) {}
    void SetString(const std::string& section, const char* key, std::string_view value) override
    {
        file_.SetString(section, key, value);
    }
    bool Holds(const std::string& section, const char* key) const override { return file_.HasValue(section, key); }

private:
    ProfileFile& file_;
};

class SectionReader {
public:
    SectionReader(const ProfileSource& file, std::string section)
        : file_(file), section_(std::move(section)) {}

    std::string Text(const char* key, const char* def = "") const
    {
        return file_.GetString(section_, key, def, IniValueBuffer);
    }
    int32_t Int(const char* key, int32_t def) const { return IniIntOr(Text(key), def); }

    // A missing or unreadable value gives the default.
    template <class T, class Default>
    void Value(const char* key, T& out, const Default& def) const
    {
        if constexpr (std::is_same_v<T, std::string>) {
            out = Text(key, def);
        } else if constexpr (std::is_same_v<T, bool>) {
            out = IniBoolOr(Text(key), def);
        } else {
            out = IniFieldOr<T>(Text(key), static_cast<T>(def));
        }
    }
    template <class T, class Default>
    void Newer(const char* key, T& out, const Default& def) const
    {
        Value(key, out, def);
    }

private:
    const ProfileSource& file_;
    std::string section_;
};

class SectionWriter {
public:
    SectionWriter(ProfileSink& file, std::string section) : file_(file), section_(std::move(section)) {}

    void Text(const char* key, std::string_view value) { file_.SetString(section_, key, IniText(value)); }
    void Int(const char* key, int64_t value) { file_.SetString(section_, key, std::to_string(value)); }

    template <class T, class Default>
    void Value(const char* key, const T& value, const Default& /*read's default*/)
    {
        if constexpr (std::is_same_v<T, std::string>) {
            Text(key, value);
        } else if constexpr (std::is_same_v<T, bool>) {
            file_.SetString(section_, key, IniBool(value));
        } else {
            Int(key, value);
        }
    }
    // Keys newer than the first files: written once they differ from the default, or to
    // overwrite a value the file already holds, so a file of an earlier version saves unchanged.
    template <class T, class Default>
    void Newer(const char* key, const T& value, const Default& def)
    {
        if (value != T(def) || file_.Holds(section_, key)) Value(key, value, def);
    }

private:
    ProfileSink& file_;
    std::string section_;
};

// Each section's keys once, in the order a new file gets them: reading and writing both
// walk these, so the two cannot drift apart. `Keys` is a SectionReader or a SectionWriter.
template <class Keys, class Konfig>
void GlobalKeys(Keys& keys, Konfig& konfig)
{
    keys.Value("IconSize", konfig.IconSize, 32);
    keys.Value("SelfAutostart", konfig.SelfAutostart, true);
    keys.Value("SingleLeftClick", konfig.SingleLeftClick, true);
    keys.Value("MenuBreakIfPossible", konfig.MenuBreakIfPossible, true);
    keys.Value("AskBeforeQuit", konfig.AskBeforeQuit, true);
    keys.Value("UseToolsMenu", konfig.UseToolsMenu, false);
    keys.Value("ToolsMenuCfg", konfig.ToolsMenuCfg, 16777215);
    keys.Newer("QuickLaunchHotkey", konfig.QuickLaunchHotkey, 0);
    keys.Newer("Theme", konfig.Theme, 0);
}

template <class Keys, class Menu>
void MenuKeys(Keys& keys, Menu& menu)
{
    keys.Value("IconPfad", menu.IconPfad, "");
    keys.Value("IconNum", menu.IconNum, 0);
    keys.Value("MenuName", menu.MenuName, "Menu");
    keys.Value("LCB", menu.LCB, 2);
    keys.Value("Hotkey", menu.Hotkey, 0);
    keys.Newer("MenuFolder", menu.MenuFolder, "");
}

// All but "Pfad", whose text depends on "IsPIDL".
template <class Keys, class Item>
void ItemKeys(Keys& keys, Item& item)
{
    keys.Value("IsPIDL", item.IsPIDL, false);
    keys.Value("IconPfad", item.IconPfad, "");
    keys.Value("IconNum", item.IconNum, DefaultIconNum);
    keys.Value("Description", item.Description, "");
    keys.Value("Parameters", item.Parameters, "");
    keys.Value("Autostart", item.Autostart, false);
    keys.Value("Startmode", item.Startmode, 0);
    keys.Value("AutoStartmode", item.AutoStartmode, 0);
    keys.Newer("WorkingDir", item.WorkingDir, "");
    keys.Newer("RunAsAdmin", item.RunAsAdmin, false);
    keys.Newer("FolderMenu", item.FolderMenu, false);
}

// The quick-launch folders follow the other global keys: a count, then a path, a depth and
// masks for each folder from 0. A file without folders gets no count, so a file of an
// earlier version saves unchanged.
std::string FolderKey(const char* name, size_t index) { return name + std::to_string(index); }

// A folder without a path is passed over; a depth outside 0..MaxQuickFolderDepth is
// brought inside it and empty masks take the default. False when the count names more
// folders than a configuration holds.
bool ReadQuickFolders(const SectionReader& global, std::vector<QuickFolder>& folders)
{
    folders.clear();
    const int32_t count = global.Int("QuickFolderCount", 0);
    for (int i = 0; i < std::min(count, MaxQuickFolders); ++i) {
        const auto at = static_cast<size_t>(i);
        QuickFolder folder;
        folder.Path = global.Text(FolderKey("QuickFolder", at).c_str());
        if (folder.Path.empty()) continue;
        folder.Depth = std::clamp(global.Int(FolderKey("QuickFolderDepth", at).c_str(), folder.Depth), 0,
                                  MaxQuickFolderDepth);
        std::string masks = global.Text(FolderKey("QuickFolderMasks", at).c_str());
        if (!masks.empty()) folder.Masks = std::move(masks);
        folders.push_back(std::move(folder));
    }
    return count <= MaxQuickFolders;
}

void WriteQuickFolders(SectionWriter& global, const std::vector<QuickFolder>& folders)
{
    const size_t count = std::min(folders.size(), static_cast<size_t>(MaxQuickFolders));
    global.Newer("QuickFolderCount", static_cast<int32_t>(count), 0);
    for (size_t i = 0; i < count; ++i) {
        global.Text(FolderKey("QuickFolder", i).c_str(), folders[i].Path);
        global.Int(FolderKey("QuickFolderDepth", i).c_str(), folders[i].Depth);
        global.Text(FolderKey("QuickFolderMasks", i).c_str(), folders[i].Masks);
    }
}

// Reads one entry; none when its identifier list cannot be taken.
std::unique_ptr<TOneItem> ReadItem(const SectionReader& in)
{
    auto item = std::make_unique<TOneItem>();
    std::string pfad = in.Text("Pfad");
    ItemKeys(in, *item);
    if (item->IsPIDL) {
        // Bytes that are not exactly one identifier list must never reach the shell.
        auto bytes = IdListFromText(pfad);
        if (!bytes || !IsCompleteIdList(*bytes)) return nullptr;
        item->Pfad = std::move(*bytes);
    } else {
        item->Pfad = std::move(pfad);
    }
    return item;
}

}  // namespace

std::string SectionName(int menuIndex, int entryNumber)
{
    // Built in place: a load or save names thousands of sections.
    char text[32] = {'M'};
    char* end = std::to_chars(text + 1, text + 16, menuIndex).ptr;
    if (entryNumber >= 1) {
        *end++ = 'I';
        end = std::to_chars(end, text + sizeof text, entryNumber).ptr;
    }
    return std::string(text, end);
}

std::string IdListToText(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() * 4 + 1);
    for (unsigned char b : bytes) {
        text += text.empty() ? '{' : ',';
        text += static_cast<char>('0' + b / 100);
        text += static_cast<char>('0' + b / 10 % 10);
        text += static_cast<char>('0' + b % 10);
    }
    text += '}';
    return text;
}

std::optional<std::string> IdListFromText(std::string_view text)
{
    if (text == "}") return std::string();
    // "{" then groups of three digits, each followed by "," or, for the last, "}".
    if (text.size() < 5 || text.front() != '{' || text.size() % 4 != 1) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 4);
    for (size_t pos = 1; pos < text.size(); pos += 4) {
        int value = 0;
        for (size_t k = 0; k < 3; ++k) {
            char c = text[pos + k];
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        char end = text[pos + 3];
        bool last = pos + 4 == text.size();
        if (end != (last ? '}' : ',')) return std::nullopt;
        bytes += static_cast<char>(value % 256);
    }
    return bytes;
}

bool ReadConfig(const ProfileFile& file, TKonfig& konfig, TMenuList& menus,
                const MenuImagesFactory& newImages)
{
    return ReadConfig(FileSource(file), konfig, menus, newImages);
}

void ReserveForWrite(ProfileFile& file, const TMenuList& menus)
{
    // Every key may be new: a line of name, "=", value and line break each, and a
    // header per section (an identifier list takes four characters a byte).
    size_t lines = 16, bytes = 256;
    for (const auto& menu : menus) {
        lines += 7;
        bytes += 96 + menu->IconPfad.size() + menu->MenuName.size() + menu->MenuFolder.size();
        for (const auto& item : menu->Items) {
            lines += 12;
            bytes += 192 + item->IconPfad.size() + item->Description.size() + item->Parameters.size() +
                     item->WorkingDir.size() +
                     item->Pfad.size() * (item->IsPIDL ? 4 : 1);
        }
    }
    file.Reserve(lines, bytes);
}

void WriteConfig(ProfileFile& file, const TKonfig& konfig, const TMenuList& menus)
{
    ReserveForWrite(file, menus);
    FileSink sink(file);
    WriteConfig(sink, konfig, menus);
}

bool ReadConfig(const ProfileSource& file, TKonfig& konfig, TMenuList& menus,
                const MenuImagesFactory& newImages)
{
    const SectionReader global(file, "GLOBAL");
    GlobalKeys(global, konfig);

    bool complete = ReadQuickFolders(global, konfig.QuickFolders);
    const int32_t menuCount = global.Int("MenuCount", 0);
    if (menuCount > MaxMenus) complete = false;
    for (int i = 0; i < std::min(menuCount, MaxMenus); ++i) {
        const SectionReader in(file, SectionName(i, 0));
        TOneMenu& menu = NewMenu(menus, newImages);
        MenuKeys(in, menu);

        const int32_t itemCount = in.Int("ItemCount", 0);
        if (itemCount > MaxItemsPerMenu) complete = false;
        for (int j = 1; j <= std::min(itemCount, MaxItemsPerMenu); ++j) {
            auto item = ReadItem(SectionReader(file, SectionName(i, j)));
            if (!item) {
                complete = false;
                continue;
            }
            AddItem(menu, std::move(item));
        }
    }
    return complete;
}

void WriteConfig(ProfileSink& file, const TKonfig& konfig, const TMenuList& menus)
{
    SectionWriter global(file, "GLOBAL");
    GlobalKeys(global, konfig);
    global.Int("MenuCount", static_cast<int64_t>(menus.size()));
    WriteQuickFolders(global, konfig.QuickFolders);

    for (size_t i = 0; i < menus.size(); ++i) {
        const TOneMenu& menu = *menus[i];
        SectionWriter out(file, SectionName(static_cast<int>(i), 0));
        MenuKeys(out, menu);
        out.Int("ItemCount", static_cast<int64_t>(menu.Items.size()));
        for (size_t k = 0; k < menu.Items.size(); ++k) {
            const TOneItem& item = *menu.Items[k];
            SectionWriter entry(file, SectionName(static_cast<int>(i), static_cast<int>(k) + 1));
            // Identifier-list text is digits, commas and braces: IniText leaves it alone.
            entry.Text("Pfad", item.IsPIDL ? IdListToText(item.Pfad) : item.Pfad);
            ItemKeys(entry, item);
        }
    }
}
