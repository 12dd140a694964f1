// Simple launcher until the full one with identifier-list support replaces it.
#include "launch/launch_win.h"

#include "config/model.h"
#include "win/application.h"
#include "win/handles.h"
#include "win/message_seam.h"

#include <cstring>
#include <shellapi.h>
#include <string>

namespace {

std::string LaunchErrorText(INT_PTR result)
{
    switch (result) {
    case 0: return "The operating system is out of memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied access to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "Invalid executeable";
    case 26: return "A sharing violation occurred.";
    case 31: return "There is no application associated with the given filename extension.";
    default: return "Unknown error";
    }
}

std::string SystemErrorText(DWORD code)
{
    char buffer[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr, code, 0, buffer,
                             sizeof(buffer), nullptr);
    std::string text(buffer, n);
    while (!text.empty()) {
        unsigned char last = static_cast<unsigned char>(text.back());
        if (last > ' ' && last != '.') break;
        text.pop_back();
    }
    return text;
}

// The leading part of the path up to and including its last backslash or colon.
std::string WorkingDirectoryOf(const std::string& path)
{
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

DWORD ShellExecuteIdList(const std::string& bytes, int showCommand, const std::string& parameters)
{
    UniquePidl pidl(static_cast<ITEMIDLIST*>(CoTaskMemAlloc(bytes.empty() ? 2 : bytes.size())));
    if (!pidl) return ERROR_NOT_ENOUGH_MEMORY;
    if (bytes.empty()) std::memset(pidl.get(), 0, 2);
    else std::memcpy(pidl.get(), bytes.data(), bytes.size());

    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpParameters = parameters.c_str();
    info.nShow = showCommand;
    info.lpIDList = pidl.get();
    return ShellExecuteExA(&info) ? 0 : GetLastError();
}

}  // namespace

void LaunchItem(int menuIndex, int itemIndex, bool asAutostart)
{
    const TOneItem& item = ItemAt(menuIndex, itemIndex);
    int showCommand = asAutostart ? item.AutoStartmode : item.Startmode;
    std::string error;
    if (item.IsPIDL) {
        if (DWORD code = ShellExecuteIdList(item.Pfad, showCommand, item.Parameters)) error = SystemErrorText(code);
    } else {
        std::string directory = WorkingDirectoryOf(item.Pfad);
        auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(MainWindow(), "open", item.Pfad.c_str(),
                                                              item.Parameters.c_str(), directory.c_str(),
                                                              showCommand));
        if (result <= 32) error = LaunchErrorText(result);
    }
    if (!error.empty())
        ShowMessageBox(nullptr, "Execution of '" + item.Description + "' failed.\r" + error, "Marigoldwick",
                       MB_ICONERROR | MB_OK);
}

void RunAutostartItems()
{
    for (int m = 0; m < static_cast<int>(MenuList.size()); ++m) {
        TOneMenu& menu = *MenuList[static_cast<size_t>(m)];
        for (int i = 0; i < static_cast<int>(menu.Items.size()); ++i)
            if (menu.Items[static_cast<size_t>(i)]->Autostart) LaunchItem(m, i, true);
    }
}
