#include "shell/shell_link_win.h"

#include "win/text_conversion.h"

#include <array>

namespace {

constexpr int LinkTextSize = 260;

template <typename Getter>
std::string ReadText(Getter get)
{
    std::array<wchar_t, LinkTextSize> buffer{};
    get(buffer.data(), static_cast<int>(buffer.size()));
    buffer.back() = L'\0';  // a getter that fills the buffer need not end it
    return Utf8(buffer.data());
}

}  // namespace

bool ResolveShellLink(const std::string& linkFile, ShellLinkInfo& info)
{
    // COM is running on this thread already; this only raises its count, so it is
    // balanced whatever it answers.
    (void)CoInitialize(nullptr);
    ScopeGuard uninitialize([] { CoUninitialize(); });

    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.GetAddressOf()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;

    // A name longer than a path may be is not loaded at all, rather than cut.
    std::wstring wide = Wide(linkFile);
    if (wide.empty() || wide.size() > LinkTextSize) return false;
    if (file->Load(wide.c_str(), STGM_READ) != S_OK) return false;

    // The getters' results are not examined: each leaves an empty text when it has none.
    info.Arguments = ReadText([&](wchar_t* b, int n) { link->GetArguments(b, n); });
    info.Description = ReadText([&](wchar_t* b, int n) { link->GetDescription(b, n); });
    int iconIndex = 0;
    info.IconPath = ReadText([&](wchar_t* b, int n) { link->GetIconLocation(b, n, &iconIndex); });
    info.IconIndex = info.IconPath.empty() ? -99 : iconIndex;
    WIN32_FIND_DATAW findData{};
    info.Path = ReadText([&](wchar_t* b, int n) { link->GetPath(b, n, &findData, SLGP_UNCPRIORITY); });
    int showCmd = 0;
    link->GetShowCmd(&showCmd);
    info.ShowCmd = static_cast<uint16_t>(showCmd & 0xFFFF);
    ITEMIDLIST* target = nullptr;
    link->GetIDList(&target);
    info.IDList.reset(target);
    // Wine answers GetPath from the link's 8-bit copy of the path: characters outside the
    // code page come back as "?", which no file name may hold. The list keeps the name whole.
    std::array<wchar_t, MAX_PATH> listPath{};
    if (info.Path.find('?') != std::string::npos && target && SHGetPathFromIDListW(target, listPath.data()))
        info.Path = Utf8(listPath.data());
    return true;
}
