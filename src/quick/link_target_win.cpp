#include "quick/link_target_win.h"

#include "win/text_conversion.h"

#include <array>

std::wstring ExpandedText(const std::wstring& text)
{
    if (text.find(L'%') == std::wstring::npos) return text;
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (!needed) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (!written || written > needed) return text;
    expanded.resize(written - 1);
    return expanded;
}

std::string LinkTargets::Target(const std::wstring& linkFile)
{
    std::optional<std::wstring> target = Read(linkFile);
    if (target && !target->empty() && *target == last_) {
        link_.Reset();
        target = Read(linkFile);
    }
    if (!target) link_.Reset();
    last_ = target.value_or(std::wstring());
    return Utf8(last_);
}

std::optional<std::wstring> LinkTargets::Read(const std::wstring& linkFile)
{
    if (!link_ && (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(link_.GetAddressOf()))) ||
                   FAILED(link_.As(&file_))))
        return std::nullopt;
    if (file_->Load(linkFile.c_str(), STGM_READ) != S_OK) return std::nullopt;
    std::array<wchar_t, MAX_PATH> path{};
    if (link_->GetPath(path.data(), static_cast<int>(path.size()), nullptr, SLGP_RAWPATH) != S_OK)
        return std::wstring();
    path.back() = L'\0';
    std::wstring target = ExpandedText(path.data());
    // Wine answers from the link's 8-bit copy of the path, with "?" for characters
    // outside the code page; the identifier list keeps the name whole.
    if (target.find(L'?') != std::wstring::npos) {
        ITEMIDLIST* raw = nullptr;
        const UniquePidl list(SUCCEEDED(link_->GetIDList(&raw)) ? raw : nullptr);
        if (list && SHGetPathFromIDListW(list.get(), path.data())) target = path.data();
    }
    return target;
}
