#include "settings/konfig_system_win.h"

#include "settings/iconpick_win.h"
#include "win/handles.h"
#include "win/text_conversion.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>

namespace {

INT_PTR ShellExecuteOpen(HWND owner, const std::string& file, int show)
{
    return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", Wide(file).c_str(), nullptr, nullptr, show));
}

bool OpenFileDialog(HWND owner, std::string& file)
{
    std::array<wchar_t, MAX_PATH + 1> buffer{};
    lstrcpynW(buffer.data(), L"*.exe", static_cast<int>(buffer.size()));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Executables\0*.exe\0All files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"exe";
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog)) return false;
    file = Utf8(buffer.data());
    return true;
}

int CALLBACK StartInFolder(HWND dialog, UINT message, LPARAM, LPARAM folder)
{
    if (message != BFFM_INITIALIZED || !folder) return 0;
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, folder);
    // Under Wine the selection made here is now and then lost (about one opening in six,
    // the dialog then offers the desktop): once more when the dialog runs holds. The
    // text lives until the dialog returns.
    PostMessageW(dialog, BFFM_SETSELECTIONW, TRUE, folder);
    return 0;
}

}  // namespace

bool ShellBrowseForFolder(HWND owner, std::string& folder)
{
    std::array<wchar_t, MAX_PATH> name{};
    const std::wstring start = Wide(folder);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = name.data();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = StartInFolder;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    UniquePidl chosen(SHBrowseForFolderW(&info));
    std::array<wchar_t, MAX_PATH> path{};
    if (!chosen || !SHGetPathFromIDListW(chosen.get(), path.data())) return false;
    folder = Utf8(path.data());
    return true;
}

KonfigSystem SystemCalls()
{
    KonfigSystem calls;
    calls.ShellOpen = ShellExecuteOpen;
    calls.ChooseFile = OpenFileDialog;
    calls.ChooseFolder = ShellBrowseForFolder;
    calls.PickIcon = PickIconSystemOrOwn;
    return calls;
}
