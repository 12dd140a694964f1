#include "config/globalvar_win.h"

#include "config/model.h"
#include "shell/environment_win.h"
#include "win/text_conversion.h"

#include <shellapi.h>

void InitVersionFlags()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) return;
    VersionFlags flags = VersionFlagsFrom(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    RunningOnNT = flags.RunningOnNT;
    ReverseIconOrder = flags.ReverseIconOrder;
}

std::string OwnModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return Utf8(std::wstring_view(path).substr(0, n));
        path.resize(path.size() * 2);
    }
}

bool IsExistingFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int IconCountOf(const std::string& path)
{
    if (path.empty()) return 0;
    return static_cast<int>(ExtractIconExW(ExpandEnvironmentWide(path).c_str(), -1, nullptr, nullptr, 0));
}
