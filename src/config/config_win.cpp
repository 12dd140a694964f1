#include "config/config_win.h"

#include <optional>
#include <string>

#include "config/config_document.h"
#include "config/model.h"
#include "config/run_value_rules.h"
#include "win/handles.h"
#include "win/text_conversion.h"

namespace {

const wchar_t RunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t RunValueName[] = L"Marigoldwick";

}  // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& bytes)
{
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                             : ReadResult::Failed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024) return ReadResult::Failed;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
                           done != bytes.size()))
        return ReadResult::Failed;
    return ReadResult::Ok;
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes)
{
    const std::wstring target = Wide(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;

    const std::wstring temp = target + L".~tmp";
    {
        UniqueHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD done = 0;
        bool written = (bytes.empty() ||
                        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr)) &&
                       done == bytes.size() && FlushFileBuffers(file.get());
        if (!written) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

namespace {

UniqueKey OpenRunKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return UniqueKey(key);
}

// The value's text; an empty one when it is there but no text.
std::optional<std::string> ReadRunValue(HKEY key)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, RunValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
    // The stored text need not end in a NUL: one more unit keeps it terminated.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, RunValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return std::string();
    return Utf8(std::wstring_view(text.c_str()));
}

// File names compare as the system compares them, beyond A-Z too.
int savesUnderWay = 0;

// The model written into the file as it is, so keys and lines of others stay where they are.
std::optional<std::string> ModelAsFile()
{
    std::string bytes;
    if (ReadWholeFile(IniFile, bytes) == ReadResult::Failed) return std::nullopt;
    ConfigDocument file(std::move(bytes), SystemCodePage());
    file.Write(Konfig, MenuList);
    return file.Bytes();
}

}  // namespace

bool LoadConfig() { return LoadConfigFrom(IniFile); }

bool LoadConfigFrom(const std::string& path)
{
    std::string bytes;
    switch (ReadWholeFile(path, bytes)) {
    case ReadResult::Missing: bytes.clear(); break;
    case ReadResult::Failed: return false;
    case ReadResult::Ok: break;
    }
    return ConfigDocument(std::move(bytes), SystemCodePage()).Read(Konfig, MenuList, NewMenuImages);
}

bool SaveConfig()
{
    ++savesUnderWay;
    const std::optional<std::string> bytes = ModelAsFile();
    const bool saved = bytes && ReplaceFileContents(IniFile, *bytes) && UpdateRunKey();
    --savesUnderWay;
    return saved;
}

bool SaveConfigCopy(const std::string& path)
{
    const std::optional<std::string> bytes = ModelAsFile();
    return bytes && ReplaceFileContents(path, *bytes);
}

bool ConfigSaveUnderWay() { return savesUnderWay > 0; }

bool ConfigChangedSinceSave()
{
    std::string bytes;
    if (ReadWholeFile(IniFile, bytes) == ReadResult::Failed) return true;
    return ModelDiffersFromFile(std::move(bytes), Konfig, MenuList, SystemCodePage());
}

bool UpdateRunKey()
{
    UniqueKey key = OpenRunKey();
    if (!key) return false;
    const std::string self = OwnModulePath();
    switch (RunValueChangeFor(ReadRunValue(key.get()), self, Konfig.SelfAutostart)) {
    case RunValueChange::None: return true;
    case RunValueChange::Remove: return RegDeleteValueW(key.get(), RunValueName) == ERROR_SUCCESS;
    case RunValueChange::Write: break;
    }
    if (self.empty()) return false;
    const std::wstring value = Wide(RunValueFor(self));
    return RegSetValueExW(key.get(), RunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
