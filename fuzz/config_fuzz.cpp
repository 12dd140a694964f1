// Arbitrary bytes as a configuration file: reading must not crash, leak or trip the
// sanitizers, identifier lists taken in must be complete, and a saved model must
// load again without error.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config_file.h"
#include "shell/idlist_bytes.h"

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
    const ProfileFile file(bytes);
    TKonfig konfig;
    TMenuList menus;
    (void)ReadConfig(file, konfig, menus, images);
    Check(menus.size() <= static_cast<size_t>(MaxMenus));
    for (const auto& menu : menus) {
        Check(menu->Items.size() <= static_cast<size_t>(MaxItemsPerMenu));
        for (const auto& item : menu->Items)
            if (item->IsPIDL) Check(IsCompleteIdList(item->Pfad));
    }

    ProfileFile saved = file;  // a copy costs less than parsing the bytes again
    WriteConfig(saved, konfig, menus);
    TKonfig again;
    TMenuList reloaded;
    Check(ReadConfig(ProfileFile(saved.Bytes()), again, reloaded, images));
    Check(reloaded.size() == menus.size());
    for (size_t i = 0; i < menus.size(); ++i) Check(reloaded[i]->Items.size() == menus[i]->Items.size());
    return 0;
}
