#include "config/config_document.h"

#include "text/unicode.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

std::string Utf16LeBytes(std::string_view wtf8)
{
    const std::u16string units = Utf16FromWtf8(wtf8);
    std::string bytes(kUtf16Bom);
    bytes.reserve(2 + units.size() * 2);
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

std::string TextOfUtf16Le(std::string_view bytes)
{
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return Wtf8FromUtf16(units);
}

// Code-page bytes that begin as a byte-order mark does would be read back as Unicode:
// a save that rewrites the first line (a NUL in it, a nameless header before it) can
// bring such bytes to the front of a file that did not start with them.
bool ReadsAsUnicode(std::string_view codePageBytes)
{
    return codePageBytes.starts_with(kUtf16Bom) || codePageBytes.starts_with(kUtf8Bom);
}

bool ReadsAsUnicode(const ProfileFile& codePageFile)
{
    return codePageFile.BytesStartWith(kUtf16Bom) || codePageFile.BytesStartWith(kUtf8Bom);
}

// Values of a code-page file, converted to UTF-8.
class CodePageSource : public ProfileSource {
public:
    CodePageSource(const ProfileFile& file, const CodePage& codePage) : file_(file), codePage_(codePage) {}
    std::string GetString(const std::string& section, const char* key, const char* def,
                          size_t bufferSize) const override
    {
        return codePage_.ToUtf8(file_.GetString(section, key, def, bufferSize));
    }

private:
    const ProfileFile& file_;
    const CodePage& codePage_;
};

// Values of a Unicode file: a value cut by the buffer may end in half a surrogate
// pair, which goes, and unpaired surrogates of the file never reach the model.
class UnicodeSource : public ProfileSource {
public:
    explicit UnicodeSource(const ProfileFile& file) : file_(file) {}
    std::string GetString(const std::string& section, const char* key, const char* def,
                          size_t bufferSize) const override
    {
        std::string value = file_.GetString(section, key, def, bufferSize);
        // A high surrogate is ED A0..AF xx in the file's text.
        const size_t n = value.size();
        if (n >= 3 && static_cast<uint8_t>(value[n - 3]) == 0xED && (static_cast<uint8_t>(value[n - 2]) & 0xF0) == 0xA0)
            value.resize(n - 3);
        // One U+FFFD for each unpaired surrogate, as the wide calls' conversion gives.
        return IsValidUtf8(value) ? value : Utf8FromUtf16(Utf16FromWtf8(value));
    }

private:
    const ProfileFile& file_;
};

// Writes into a code-page file until a value has no exact code-page form.
class CodePageSink : public ProfileSink {
public:
    CodePageSink(ProfileFile& file, const CodePage& codePage) : file_(file), codePage_(codePage) {}
    bool Fits() const { return fits_; }
    void SetString(const std::string& section, const char* key, std::string_view value) override
    {
        if (!fits_) return;
        auto bytes = codePage_.FromUtf8(value);
        if (!bytes) fits_ = false;
        else file_.SetString(section, key, *bytes);
    }
    bool Holds(const std::string& section, const char* key) const override
    {
        return file_.HasValue(section, key);
    }

private:
    ProfileFile& file_;
    const CodePage& codePage_;
    bool fits_ = true;
};

}  // namespace

ProfileBytes OpenProfileBytes(std::string bytes)
{
    const std::string_view view(bytes);
    if (view.starts_with(kUtf16Bom))
        return {ProfileFile(TextOfUtf16Le(view.substr(kUtf16Bom.size())), ProfileUnits::Utf16), ConfigEncoding::Utf16};
    if (view.starts_with(kUtf8Bom))
        return {ProfileFile(std::string(view.substr(kUtf8Bom.size())), ProfileUnits::Utf16), ConfigEncoding::Utf8};
    return {ProfileFile(std::move(bytes)), ConfigEncoding::CodePage};
}

ConfigDocument::ConfigDocument(std::string bytes, const CodePage& codePage) : codePage_(&codePage)
{
    ProfileBytes opened = OpenProfileBytes(std::move(bytes));
    encoding_ = opened.encoding;
    file_ = std::move(opened.file);
}

bool ConfigDocument::Read(TKonfig& konfig, TMenuList& menus, const MenuImagesFactory& newImages) const
{
    if (encoding_ == ConfigEncoding::CodePage)
        return ReadConfig(CodePageSource(file_, *codePage_), konfig, menus, newImages);
    return ReadConfig(UnicodeSource(file_), konfig, menus, newImages);
}

void ConfigDocument::Write(const TKonfig& konfig, const TMenuList& menus)
{
    if (encoding_ != ConfigEncoding::CodePage) return WriteUnicode(konfig, menus);
    // A text without code-page form stops the writes; the file then starts again from
    // its old bytes, as Unicode, so no file is ever half in the code page. So does a
    // result that would read back as Unicode.
    const std::string before = file_.Bytes();
    ReserveForWrite(file_, menus);
    CodePageSink sink(file_, *codePage_);
    WriteConfig(sink, konfig, menus);
    if (sink.Fits() && !ReadsAsUnicode(file_)) return;
    file_ = ProfileFile(codePage_->ToUtf8(before), ProfileUnits::Utf16);
    encoding_ = ConfigEncoding::Utf16;
    WriteUnicode(konfig, menus);
}

void ConfigDocument::WriteUnicode(const TKonfig& konfig, const TMenuList& menus)
{
    WriteConfig(file_, konfig, menus);
    std::string text = file_.Bytes();
    if (auto bytes = codePage_->FromUtf8(text); bytes && !ReadsAsUnicode(*bytes)) {
        file_ = ProfileFile(std::move(*bytes));
        encoding_ = ConfigEncoding::CodePage;
    } else if (encoding_ == ConfigEncoding::Utf8) {
        // Outside Wine the system's 8-bit reader takes UTF-8 for code-page bytes.
        encoding_ = ConfigEncoding::Utf16;
    }
}

std::string ConfigDocument::Bytes() const
{
    switch (encoding_) {
    case ConfigEncoding::Utf16: return Utf16LeBytes(file_.Bytes());
    case ConfigEncoding::Utf8: return std::string(kUtf8Bom) + file_.Bytes();
    case ConfigEncoding::CodePage: break;
    }
    return file_.Bytes();
}

bool ModelDiffersFromFile(std::string fileBytes, const TKonfig& konfig, const TMenuList& menus,
                          const CodePage& codePage)
{
    const ConfigDocument file(std::move(fileBytes), codePage);
    TKonfig saved;
    TMenuList savedMenus;
    // An entry the file cannot give back is left out of both sides alike: the loaded
    // model lost it too.
    static_cast<void>(file.Read(saved, savedMenus, nullptr));

    ConfigDocument withModel = file;
    withModel.Write(konfig, menus);
    ConfigDocument withSaved = file;
    withSaved.Write(saved, savedMenus);
    return withModel.Bytes() != withSaved.Bytes();
}
