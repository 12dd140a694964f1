#include "shell/shell_link_win.h"

#include <array>

namespace {

constexpr int LinkTextSize = 260;

template <typename Getter>
std::string ReadText(Getter get)
{
    std::array<char, LinkTextSize> buffer{};
    get(buffer.data(), static_cast<int>(buffer.size()));
    buffer.back() = '\0';  // a getter that fills the buffer need not end it
    return buffer.data();
}

}  // namespace

bool ResolveShellLink(const std::string& linkFile, ShellLinkInfo& info)
{
    // COM is running on this thread already; this only raises its count, so it is
    // balanced whatever it answers.
    (void)CoInitialize(nullptr);
    ScopeGuard uninitialize([] { CoUninitialize(); });

    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.GetAddressOf()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;

    // A name that does not fit converts to nothing, and an empty name does not load.
    std::array<wchar_t, LinkTextSize + 1> wide{};
    if (MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide.data(), static_cast<int>(wide.size())) == 0)
        wide[0] = L'\0';
    if (file->Load(wide.data(), STGM_READ) != S_OK) return false;

    // The getters' results are not examined: each leaves an empty text when it has none.
    info.Arguments = ReadText([&](char* b, int n) { link->GetArguments(b, n); });
    info.Description = ReadText([&](char* b, int n) { link->GetDescription(b, n); });
    int iconIndex = 0;
    info.IconPath = ReadText([&](char* b, int n) { link->GetIconLocation(b, n, &iconIndex); });
    info.IconIndex = info.IconPath.empty() ? -99 : iconIndex;
    WIN32_FIND_DATAA findData{};
    info.Path = ReadText([&](char* b, int n) { link->GetPath(b, n, &findData, SLGP_UNCPRIORITY); });
    int showCmd = 0;
    link->GetShowCmd(&showCmd);
    info.ShowCmd = static_cast<uint16_t>(showCmd & 0xFFFF);
    ITEMIDLIST* target = nullptr;
    link->GetIDList(&target);
    info.IDList.reset(target);
    return true;
}
