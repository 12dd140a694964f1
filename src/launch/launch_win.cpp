#include "launch/launch_win.h"

#include "config/model.h"
#include "launch/launch_rules.h"
#include "shell/environment_win.h"
#include "shell/idlist_win.h"
#include "win/application.h"
#include "win/message_seam.h"
#include "win/system_message.h"
#include "win/text_conversion.h"

#include <shellapi.h>

namespace {

ShellExecuteCall& ShellExecuteInUse()
{
    static ShellExecuteCall call;
    return call;
}

BOOL ExecuteThroughShell(SHELLEXECUTEINFOW& info)
{
    static_assert(sizeof(info) == 60, "the 32-bit structure");
    info.cbSize = sizeof(info);
    // Without NO_UI the shell shows a modal error box of its own before ours.
    info.fMask |= SEE_MASK_FLAG_NO_UI;
    const ShellExecuteCall& call = ShellExecuteInUse();
    return call ? call(info) : ShellExecuteExW(&info);
}

// 0 on success, else the system error code.
DWORD ErrorOfFailedStart(const SHELLEXECUTEINFOW& info)
{
    DWORD code = GetLastError();
    // Wine fails a vanished item with last error 0 and only hInstApp set: a failure
    // must never read as success.
    return code ? code : SystemCodeOfShellResult(reinterpret_cast<INT_PTR>(info.hInstApp));
}

// What a failed start of the entry has to say, or empty when it started. Variables in
// the path, the parameters and the working directory are expanded at each start, as the
// shell would: the folder test and the working folder need the real path
// ("%WINDIR%\notepad.exe" starts in C:\windows, not in "%WINDIR%").
std::string StartEntry(const TOneItem& item, int showCommand, bool asAdministrator)
{
    const std::wstring parameters = ExpandEnvironmentWide(item.Parameters);
    const std::string workingDir = ExpandEnvironment(item.WorkingDir);
    SHELLEXECUTEINFOW info{};
    info.hwnd = MainWindow();
    info.nShow = showCommand;
    info.lpParameters = parameters.c_str();
    if (item.RunAsAdmin || asAdministrator) info.lpVerb = L"runas";

    if (item.IsPIDL) {
        ShellIdList list = IdListFromBytes(item.Pfad);
        if (!list) return IsCompleteIdList(item.Pfad) ? SystemMessageText(ERROR_NOT_ENOUGH_MEMORY)
                                                      : std::string(DamagedShellItemText);
        const std::wstring directory = Wide(workingDir);
        info.fMask = SEE_MASK_INVOKEIDLIST;
        info.lpIDList = list.get();
        if (!directory.empty()) info.lpDirectory = directory.c_str();
        if (ExecuteThroughShell(info)) return std::string();
        DWORD code = ErrorOfFailedStart(info);
        return code == ERROR_CANCELLED ? std::string() : SystemMessageText(code);
    }
    const std::string path = ExpandEnvironment(item.Pfad);
    const std::wstring widePath = Wide(path);
    DWORD attributes = GetFileAttributesW(widePath.c_str());
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const std::wstring directory = Wide(StartFolderOf(workingDir, path, folder));
    if (!info.lpVerb) info.lpVerb = L"open";
    info.lpFile = widePath.c_str();
    info.lpDirectory = directory.c_str();
    if (ExecuteThroughShell(info)) return std::string();
    // The user said no to the elevation prompt: nothing to report.
    if (GetLastError() == ERROR_CANCELLED) return std::string();
    return LaunchErrorText(reinterpret_cast<INT_PTR>(info.hInstApp));
}

void Launch(int menuIndex, int itemIndex, bool asAutostart, bool asAdministrator)
{
    const TOneItem& item = ItemAt(menuIndex, itemIndex);
    std::string error = StartEntry(item, asAutostart ? item.AutoStartmode : item.Startmode, asAdministrator);
    if (!error.empty())
        ShowMessageBox(nullptr, LaunchFailureText(item.Description, error), ProgramTitle, MB_ICONERROR | MB_OK);
}

}  // namespace

ScopedShellExecute::ScopedShellExecute(ShellExecuteCall call) : previous_(std::move(ShellExecuteInUse()))
{
    ShellExecuteInUse() = std::move(call);
}

ScopedShellExecute::~ScopedShellExecute() { ShellExecuteInUse() = std::move(previous_); }

DWORD ShellExecuteIdList(const ITEMIDLIST* idList, int showCommand, const std::string& parameters)
{
    const std::wstring wideParameters = Wide(parameters);
    SHELLEXECUTEINFOW info{};
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpParameters = wideParameters.c_str();
    info.nShow = showCommand;
    info.lpIDList = const_cast<ITEMIDLIST*>(idList);
    return ExecuteThroughShell(info) ? 0 : ErrorOfFailedStart(info);
}

void LaunchPath(const std::string& path, const std::string& description, bool asAdministrator)
{
    TOneItem item;
    item.Pfad = path;
    item.Description = description;
    std::string error = StartEntry(item, SW_SHOWNORMAL, asAdministrator);
    if (!error.empty())
        ShowMessageBox(nullptr, LaunchFailureText(description, error), ProgramTitle, MB_ICONERROR | MB_OK);
}

void LaunchItem(int menuIndex, int itemIndex, bool asAutostart) { Launch(menuIndex, itemIndex, asAutostart, false); }

void LaunchItemAsAdministrator(int menuIndex, int itemIndex) { Launch(menuIndex, itemIndex, false, true); }

void RunAutostartItems()
{
    // Sizes are read again each round: a message box runs a nested message loop.
    for (size_t m = 0; m < MenuList.size(); ++m)
        for (size_t i = 0; i < MenuList[m]->Items.size(); ++i)
            if (MenuList[m]->Items[i]->Autostart) LaunchItem(static_cast<int>(m), static_cast<int>(i), true);
}
