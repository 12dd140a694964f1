// The configuration file in any of its encodings: 8-bit in the system code page (every
// file written before names outside it were possible), UTF-8 or UTF-16LE with a
// byte-order mark. The model holds UTF-8 whatever the file holds.
#pragma once

#include <string>

#include "config/config_file.h"
#include "text/code_page.h"

enum class ConfigEncoding { CodePage, Utf8, Utf16 };

// A profile file's bytes as the engine holds them: after either byte-order mark as UTF-8
// text whose buffers count UTF-16 units (as the system reads it), else code-page bytes.
struct ProfileBytes {
    ProfileFile file;
    ConfigEncoding encoding = ConfigEncoding::CodePage;
};
ProfileBytes OpenProfileBytes(std::string bytes);

class ConfigDocument {
public:
    // A missing file is an empty code-page one.
    ConfigDocument(std::string bytes, const CodePage& codePage);

    ConfigEncoding Encoding() const { return encoding_; }

    // As ReadConfig; every text comes out as valid UTF-8 with whole characters.
    [[nodiscard]] bool Read(TKonfig& konfig, TMenuList& menus, const MenuImagesFactory& newImages) const;

    // Writes every key of the model. While every text has an exact code-page form, a
    // code-page file stays one, byte for byte where nothing changed, so 8-bit readers
    // and hand editing keep working; otherwise the file becomes UTF-16LE, which the
    // system's profile functions read in their 8-bit and wide forms alike; so does a
    // code-page file whose bytes would come to begin like a byte-order mark. A Unicode
    // file goes back to the code page once the code page holds all of it.
    void Write(const TKonfig& konfig, const TMenuList& menus);

    std::string Bytes() const;

private:
    void WriteUnicode(const TKonfig& konfig, const TMenuList& menus);

    const CodePage* codePage_;
    ConfigEncoding encoding_ = ConfigEncoding::CodePage;
    ProfileFile file_;
};

// Whether saving the model over the file's bytes would change what the file gives back
// when read: the model is written over the file, and so is the file's own reading of
// itself, and the two results are compared. Missing keys, other spellings of a value and
// foreign lines therefore do not count as changes; a missing file is an empty one.
// Nothing is written anywhere.
[[nodiscard]] bool ModelDiffersFromFile(std::string fileBytes, const TKonfig& konfig, const TMenuList& menus,
                                        const CodePage& codePage);
