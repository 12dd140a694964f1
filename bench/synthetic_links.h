// Many real shortcuts made quickly: one made by the shell, copied with its number patched in.
// Kept in the temporary folder, so later runs (of any benchmark) find them made.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "wine_process.h"
#include "win/handles.h"
#include "win/text_conversion.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace synthetic_links {

inline constexpr const char* Digits = "00000";

inline bool WriteBytes(const std::wstring& file, const std::string& bytes)
{
    UniqueHandle handle(
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return handle && WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// One shortcut made by the shell, whose every "00000" (in its 8-bit and its wide texts)
// is then replaced by each shortcut's number: making thousands through the link object
// takes minutes under Wine, and each copy still starts a program of its own.
inline std::string TemplateLink(const std::wstring& folder)
{
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    const std::wstring target =
        L"C:\\Program Files\\Bench Vendor " + Wide(Digits) + L"\\Bench App " + Wide(Digits) + L".exe";
    const std::wstring path = folder + L"template.lnk";
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.GetAddressOf()))) ||
        FAILED(link->SetPath(target.c_str())) || FAILED(link.As(&file)) || FAILED(file->Save(path.c_str(), TRUE)))
        return {};
    std::string bytes = ReadWholeFile(Utf8(path));
    DeleteFileW(path.c_str());
    return bytes;
}

inline void Patch(std::string& bytes, const std::string& from, const std::string& to)
{
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
        bytes.replace(at, to.size(), to);
}

inline std::string WideBytes(const std::string& ascii)
{
    std::string wide;
    for (char c : ascii) wide += {c, '\0'};
    return wide;
}

// The folder (ending in a backslash) of `count` shortcuts spread over `folders` subfolders
// ("Vendor 0", ...), made when it is not there yet; empty when they cannot be made. The
// calling thread must have COM.
inline std::wstring Shortcuts(int count, int folders)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"mgw-catalog-bench-" + std::to_wstring(count) + L"-" +
                              std::to_wstring(folders) + L"\\";
    const std::wstring done = root + L"complete";
    if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) return root;
    CreateDirectoryW(root.c_str(), nullptr);
    const auto start = std::chrono::steady_clock::now();
    const std::string bytes = TemplateLink(root);
    if (bytes.find(Digits) == std::string::npos) return {};
    const int perFolder = (count + folders - 1) / folders;
    for (int n = 0; n < count; ++n) {
        char number[8];
        std::snprintf(number, sizeof(number), "%05d", n);
        const std::wstring folder = root + L"Vendor " + std::to_wstring(n / perFolder) + L"\\";
        if (n % perFolder == 0) CreateDirectoryW(folder.c_str(), nullptr);
        std::string link = bytes;
        Patch(link, Digits, number);
        Patch(link, WideBytes(Digits), WideBytes(number));
        if (!WriteBytes(folder + L"Bench App " + Wide(number) + L".lnk", link)) return {};
    }
    if (!WriteBytes(done, "")) return {};
    std::printf("  made %d shortcuts in %d folders in %.1f s\n", count, folders,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return root;
}

}  // namespace synthetic_links
