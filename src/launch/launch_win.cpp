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

// What a failed start of the entry has to say, or empty when it started.
std::string StartEntry(const TOneItem& item, int showCommand)
{
    if (item.IsPIDL) {
        ShellIdList list = IdListFromBytes(item.Pfad);
        if (!list) return IsCompleteIdList(item.Pfad) ? SystemMessageText(ERROR_NOT_ENOUGH_MEMORY)
                                                      : std::string(DamagedShellItemText);
        DWORD code = ShellExecuteIdList(list.get(), showCommand, item.Parameters);
        return code ? SystemMessageText(code) : std::string();
    }
    // Expanded as the shell would: the folder test and the working folder need the real
    // path ("%WINDIR%\notepad.exe" starts in C:\windows, not in "%WINDIR%").
    std::string path = ExpandEnvironment(item.Pfad);
    const std::wstring widePath = Wide(path);
    DWORD attributes = GetFileAttributesW(widePath.c_str());
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    std::string directory = StartFolderOf(path, folder);
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(MainWindow(), L"open", widePath.c_str(),
                                                          Wide(item.Parameters).c_str(), Wide(directory).c_str(),
                                                          showCommand));
    return result <= 32 ? LaunchErrorText(result) : std::string();
}

}  // namespace

DWORD ShellExecuteIdList(const ITEMIDLIST* idList, int showCommand, const std::string& parameters)
{
    SHELLEXECUTEINFOW info{};
    static_assert(sizeof(info) == 60, "the 32-bit structure");
    const std::wstring wideParameters = Wide(parameters);
    info.cbSize = sizeof(info);
    // Without NO_UI the shell shows a modal error box of its own before ours.
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    info.lpParameters = wideParameters.c_str();
    info.nShow = showCommand;
    info.lpIDList = const_cast<ITEMIDLIST*>(idList);
    if (ShellExecuteExW(&info)) return 0;
    DWORD code = GetLastError();
    // Wine fails a vanished item with last error 0 and only hInstApp set: a failure
    // must never read as success.
    return code ? code : SystemCodeOfShellResult(reinterpret_cast<INT_PTR>(info.hInstApp));
}

void LaunchItem(int menuIndex, int itemIndex, bool asAutostart)
{
    const TOneItem& item = ItemAt(menuIndex, itemIndex);
    std::string error = StartEntry(item, asAutostart ? item.AutoStartmode : item.Startmode);
    if (!error.empty())
        ShowMessageBox(nullptr, LaunchFailureText(item.Description, error), ProgramTitle, MB_ICONERROR | MB_OK);
}

void RunAutostartItems()
{
    // Sizes are read again each round: a message box runs a nested message loop.
    for (size_t m = 0; m < MenuList.size(); ++m)
        for (size_t i = 0; i < MenuList[m]->Items.size(); ++i)
            if (MenuList[m]->Items[i]->Autostart) LaunchItem(static_cast<int>(m), static_cast<int>(i), true);
}
