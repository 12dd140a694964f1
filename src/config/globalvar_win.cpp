#include "config/globalvar_win.h"

#include "config/model.h"
#include "shell/environment_win.h"

#include <shellapi.h>

void InitVersionFlags()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 148
    if (!GetVersionExA(&info)) return;
    VersionFlags flags = VersionFlagsFrom(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    RunningOnNT = flags.RunningOnNT;
    ReverseIconOrder = flags.ReverseIconOrder;
}

std::string OwnModulePath()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

bool IsExistingFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int IconCountOf(const std::string& path)
{
    if (path.empty()) return 0;
    return static_cast<int>(ExtractIconExA(ExpandEnvironment(path).c_str(), -1, nullptr, nullptr, 0));
}

HICON ExtractPathIcon(const std::string& path, int index)
{
    return ExtractIconA(GetModuleHandleA(nullptr), ExpandEnvironment(path).c_str(), static_cast<UINT>(index));
}
