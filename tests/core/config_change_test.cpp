// When the model in memory counts as changed against the file it would be saved over.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "config/config_document.h"
#include "config/model.h"

namespace {

struct Model {
    TKonfig konfig;
    TMenuList menus;
};

Model Read(const std::string& text)
{
    Model m;
    static_cast<void>(ReadConfig(ProfileFile(text), m.konfig, m.menus, nullptr));
    return m;
}

std::string Saved(const Model& m)
{
    ProfileFile file;
    WriteConfig(file, m.konfig, m.menus);
    return file.Bytes();
}

TOneItem& AddEntry(TOneMenu& menu, const std::string& path)
{
    auto item = std::make_unique<TOneItem>();
    item->Pfad = path;
    return AddItem(menu, std::move(item));
}

// A hand-written file: keys missing, other spellings, a comment and a foreign section.
const std::string HandWritten = "; mine\r\n[GLOBAL]\r\nAskBeforeQuit=no\r\nMenuCount=1\r\n"
                                "[M0]\r\nMenuName=First\r\nItemCount=1\r\n[M0I1]\r\nPfad=C:\\a.exe\r\n"
                                "[Other]\r\nx=1\r\n";

}  // namespace

TEST(ConfigChange, MissingFileCountsAsChangedOnlyOnceThereIsSomethingToSave)
{
    Model fresh = Read("");
    EXPECT_FALSE(ModelDiffersFromFile("", fresh.konfig, fresh.menus, Windows1252()));

    NewMenu(fresh.menus, nullptr).MenuName = "Menu";
    EXPECT_TRUE(ModelDiffersFromFile("", fresh.konfig, fresh.menus, Windows1252()));

    Model options = Read("");
    options.konfig.AskBeforeQuit = false;
    EXPECT_TRUE(ModelDiffersFromFile("", options.konfig, options.menus, Windows1252()));
}

TEST(ConfigChange, AFileReadBackAsItIsIsUnchangedHoweverItIsSpelt)
{
    Model loaded = Read(HandWritten);
    EXPECT_FALSE(ModelDiffersFromFile(HandWritten, loaded.konfig, loaded.menus, Windows1252()));

    // The program's own file after a save, and one with more menus than are ever loaded.
    std::string own = Saved(loaded);
    EXPECT_FALSE(ModelDiffersFromFile(own, loaded.konfig, loaded.menus, Windows1252()));
    std::string tooMany = "[GLOBAL]\r\nMenuCount=60\r\n";
    Model capped = Read(tooMany);
    ASSERT_EQ(capped.menus.size(), static_cast<size_t>(MaxMenus));
    EXPECT_FALSE(ModelDiffersFromFile(tooMany, capped.konfig, capped.menus, Windows1252()));
}

TEST(ConfigChange, EveryKindOfEditCounts)
{
    const std::vector<std::function<void(Model&)>> edits = {
        [](Model& m) { m.konfig.IconSize = 16; },
        [](Model& m) { m.konfig.UseToolsMenu = true; },
        [](Model& m) { m.menus[0]->MenuName = "Renamed"; },
        [](Model& m) { m.menus[0]->Hotkey = 0x241; },
        [](Model& m) { m.menus[0]->Items[0]->Parameters = "-x"; },
        [](Model& m) { m.menus[0]->Items[0]->Pfad = "C:\\b.exe"; },
        [](Model& m) { AddEntry(*m.menus[0], SeparatorMarker); },
        [](Model& m) { m.menus[0]->Items.clear(); },
        [](Model& m) { ReleaseMenus(m.menus); },
        [](Model& m) { NewMenu(m.menus, nullptr); },
    };
    for (size_t k = 0; k < edits.size(); ++k) {
        Model m = Read(HandWritten);
        edits[k](m);
        EXPECT_TRUE(ModelDiffersFromFile(HandWritten, m.konfig, m.menus, Windows1252())) << "edit " << k;
    }
}

TEST(ConfigChange, AnEditUndoneIsNoChange)
{
    Model m = Read(HandWritten);
    AddEntry(*m.menus[0], "C:\\b.exe");
    m.menus[0]->Items.pop_back();
    m.menus[0]->MenuName = "First";
    EXPECT_FALSE(ModelDiffersFromFile(HandWritten, m.konfig, m.menus, Windows1252()));
}
