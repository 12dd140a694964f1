// Arbitrary bytes as a configuration file, in the code page, UTF-8 or UTF-16LE (its
// mark decides): reading must not crash, leak or trip the sanitizers, every text
// taken in must be valid UTF-8, identifier lists complete, quick-launch folders within
// their bounds, and a saved model must load again without error, as many menus, entries
// and folders, and save again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config_document.h"
#include "shell/idlist_bytes.h"
#include "text/unicode.h"

namespace {

class CountingImages : public MenuImages {
public:
    int Count() const override { return count_; }
    int AddEntryImage(const TOneItem&) override { return count_++; }

private:
    int count_ = 0;
};

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    if (auto decoded = IdListFromText(bytes)) Check(IdListFromText(IdListToText(*decoded)) == *decoded);

    const MenuImagesFactory images = [] { return std::make_unique<CountingImages>(); };
    static const Windows1252 codePage;
    const ConfigDocument file(bytes, codePage);
    TKonfig konfig;
    TMenuList menus;
    (void)file.Read(konfig, menus, images);
    Check(menus.size() <= static_cast<size_t>(MaxMenus));
    for (const auto& menu : menus) {
        Check(menu->Items.size() <= static_cast<size_t>(MaxItemsPerMenu));
        Check(IsValidUtf8(menu->MenuName) && IsValidUtf8(menu->IconPfad) && IsValidUtf8(menu->MenuFolder));
        for (const auto& item : menu->Items) {
            if (item->IsPIDL) Check(IsCompleteIdList(item->Pfad));
            else Check(IsValidUtf8(item->Pfad));
            Check(IsValidUtf8(item->Description) && IsValidUtf8(item->Parameters) && IsValidUtf8(item->IconPfad));
        }
    }
    Check(konfig.QuickFolders.size() <= static_cast<size_t>(MaxQuickFolders));
    for (const QuickFolder& folder : konfig.QuickFolders) {
        Check(!folder.Path.empty() && !folder.Masks.empty());
        Check(folder.Depth >= 0 && folder.Depth <= MaxQuickFolderDepth);
        Check(IsValidUtf8(folder.Path) && IsValidUtf8(folder.Masks));
    }

    ConfigDocument saved = file;  // a copy costs less than parsing the bytes again
    saved.Write(konfig, menus);
    TKonfig again;
    TMenuList reloaded;
    const std::string savedBytes = saved.Bytes();
    ConfigDocument savedFile(savedBytes, codePage);
    Check(savedFile.Read(again, reloaded, images));
    Check(reloaded.size() == menus.size());
    for (size_t i = 0; i < menus.size(); ++i) {
        Check(reloaded[i]->Items.size() == menus[i]->Items.size());
        Check(reloaded[i]->MenuFolder == menus[i]->MenuFolder);
        for (size_t k = 0; k < menus[i]->Items.size(); ++k) {
            const TOneItem& before = *menus[i]->Items[k];
            const TOneItem& after = *reloaded[i]->Items[k];
            Check(after.FolderMenu == before.FolderMenu && after.WorkingDir == before.WorkingDir &&
                  after.RunAsAdmin == before.RunAsAdmin);
        }
    }
    Check(again.QuickFolders.size() == konfig.QuickFolders.size());
    for (size_t i = 0; i < konfig.QuickFolders.size(); ++i)
        Check(again.QuickFolders[i].Depth == konfig.QuickFolders[i].Depth);
    // What the program wrote is a fixed point: the model read from it saves to the same bytes.
    savedFile.Write(again, reloaded);
    Check(savedFile.Bytes() == savedBytes);
    return 0;
}
