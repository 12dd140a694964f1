#include "config/config_file.h"

#include <algorithm>
#include <charconv>

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
    uint8_t Byte(const char* key, uint8_t def) const { return IniByteOr(Text(key), def); }
    uint16_t Word(const char* key, uint16_t def) const { return IniWordOr(Text(key), def); }
    bool Bool(const char* key, bool def) const { return IniBoolOr(Text(key), def); }

private:
    const ProfileSource& file_;
    std::string section_;
};

class SectionWriter {
public:
    SectionWriter(ProfileSink& file, std::string section) : file_(file), section_(std::move(section)) {}

    void Text(const char* key, std::string_view value) { file_.SetString(section_, key, IniText(value)); }
    void Int(const char* key, int64_t value) { file_.SetString(section_, key, std::to_string(value)); }
    void Bool(const char* key, bool value) { file_.SetString(section_, key, IniBool(value)); }

private:
    ProfileSink& file_;
    std::string section_;
};

// Reads one entry; none when its identifier list cannot be taken.
std::unique_ptr<TOneItem> ReadItem(const SectionReader& in)
{
    auto item = std::make_unique<TOneItem>();
    std::string pfad = in.Text("Pfad");
    item->IsPIDL = in.Bool("IsPIDL", false);
    item->IconPfad = in.Text("IconPfad");
    item->IconNum = in.Int("IconNum", DefaultIconNum);
    item->Description = in.Text("Description");
    item->Parameters = in.Text("Parameters");
    item->Autostart = in.Bool("Autostart", false);
    item->Startmode = in.Word("Startmode", 0);
    item->AutoStartmode = in.Word("AutoStartmode", 0);
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
        bytes += 96 + menu->IconPfad.size() + menu->MenuName.size();
        for (const auto& item : menu->Items) {
            lines += 10;
            bytes += 160 + item->IconPfad.size() + item->Description.size() + item->Parameters.size() +
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
    konfig.IconSize = global.Byte("IconSize", 32);
    konfig.SelfAutostart = global.Bool("SelfAutostart", true);
    konfig.SingleLeftClick = global.Bool("SingleLeftClick", true);
    konfig.MenuBreakIfPossible = global.Bool("MenuBreakIfPossible", true);
    konfig.AskBeforeQuit = global.Bool("AskBeforeQuit", true);
    konfig.UseToolsMenu = global.Bool("UseToolsMenu", false);
    konfig.ToolsMenuCfg = global.Int("ToolsMenuCfg", 16777215);

    bool complete = true;
    const int32_t menuCount = global.Int("MenuCount", 0);
    if (menuCount > MaxMenus) complete = false;
    for (int i = 0; i < std::min(menuCount, MaxMenus); ++i) {
        const SectionReader in(file, SectionName(i, 0));
        TOneMenu& menu = NewMenu(menus, newImages);
        menu.MenuName = in.Text("MenuName", "Menu");
        menu.LCB = in.Byte("LCB", 2);
        menu.Hotkey = in.Word("Hotkey", 0);
        menu.IconPfad = in.Text("IconPfad");
        menu.IconNum = in.Int("IconNum", 0);

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
    global.Int("IconSize", konfig.IconSize);
    global.Bool("SelfAutostart", konfig.SelfAutostart);
    global.Bool("SingleLeftClick", konfig.SingleLeftClick);
    global.Bool("MenuBreakIfPossible", konfig.MenuBreakIfPossible);
    global.Bool("AskBeforeQuit", konfig.AskBeforeQuit);
    global.Bool("UseToolsMenu", konfig.UseToolsMenu);
    global.Int("ToolsMenuCfg", konfig.ToolsMenuCfg);
    global.Int("MenuCount", static_cast<int64_t>(menus.size()));

    for (size_t i = 0; i < menus.size(); ++i) {
        const TOneMenu& menu = *menus[i];
        SectionWriter out(file, SectionName(static_cast<int>(i), 0));
        out.Text("IconPfad", menu.IconPfad);
        out.Int("IconNum", menu.IconNum);
        out.Text("MenuName", menu.MenuName);
        out.Int("LCB", menu.LCB);
        out.Int("Hotkey", menu.Hotkey);
        out.Int("ItemCount", static_cast<int64_t>(menu.Items.size()));
        for (size_t k = 0; k < menu.Items.size(); ++k) {
            const TOneItem& item = *menu.Items[k];
            SectionWriter entry(file, SectionName(static_cast<int>(i), static_cast<int>(k) + 1));
            // Identifier-list text is digits, commas and braces: IniText leaves it alone.
            entry.Text("Pfad", item.IsPIDL ? IdListToText(item.Pfad) : item.Pfad);
            entry.Bool("IsPIDL", item.IsPIDL);
            entry.Text("IconPfad", item.IconPfad);
            entry.Int("IconNum", item.IconNum);
            entry.Text("Description", item.Description);
            entry.Text("Parameters", item.Parameters);
            entry.Bool("Autostart", item.Autostart);
            entry.Int("Startmode", item.Startmode);
            entry.Int("AutoStartmode", item.AutoStartmode);
        }
    }
}
