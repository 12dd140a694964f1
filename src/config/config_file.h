// The configuration file's layout: sections, keys, defaults and the identifier-list
// text, between a ProfileFile and the model. No file access here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/model.h"
#include "config/profile.h"

// "M" + menu index, plus "I" + entry number when that is 1 or more.
std::string SectionName(int menuIndex, int entryNumber);

// "{065,000,255}" for the bytes 65, 0, 255; "}" for no bytes.
std::string IdListToText(std::string_view bytes);
// The bytes of such a text (each group modulo 256), or none when it is not one.
std::optional<std::string> IdListFromText(std::string_view text);

// Where values are read from and written to: the project's ProfileFile, or (for
// comparison) the system's per-key profile functions.
class ProfileSource {
public:
    virtual ~ProfileSource() = default;
    virtual std::string GetString(const std::string& section, const char* key, const char* def,
                                  size_t bufferSize) const = 0;
};
class ProfileSink {
public:
    virtual ~ProfileSink() = default;
    virtual void SetString(const std::string& section, const char* key, std::string_view value) = 0;
    // Whether the file already gives a value for the key.
    virtual bool Holds(const std::string& section, const char* key) const = 0;
};

// Reads the model from the file (the menus are appended to `menus`). False when
// something could not be taken: an entry whose identifier list is malformed is
// passed over, menus beyond MaxMenus, entries beyond MaxItemsPerMenu and quick-launch
// folders beyond MaxQuickFolders are not loaded. Everything else is read.
[[nodiscard]] bool ReadConfig(const ProfileSource& file, TKonfig& konfig, TMenuList& menus,
                              const MenuImagesFactory& newImages);
[[nodiscard]] bool ReadConfig(const ProfileFile& file, TKonfig& konfig, TMenuList& menus,
                              const MenuImagesFactory& newImages);
// Writes every key of the model into the file, in table order.
void WriteConfig(ProfileSink& file, const TKonfig& konfig, const TMenuList& menus);
void WriteConfig(ProfileFile& file, const TKonfig& konfig, const TMenuList& menus);
// Room in the file for every key of the model: a save then grows no buffer again and again.
void ReserveForWrite(ProfileFile& file, const TMenuList& menus);
