#include "launch/launch_rules.h"

#include "win/system_message.h"

std::string StartFolderOf(std::string_view path, bool isFolder)
{
    return isFolder ? std::string(path) : WorkingDirectoryOf(path);
}

std::string StartFolderOf(std::string_view workingDir, std::string_view path, bool isFolder)
{
    return workingDir.empty() ? StartFolderOf(path, isFolder) : std::string(workingDir);
}

std::string LaunchErrorText(intptr_t result)
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
    default: return UnknownErrorText;
    }
}

uint32_t SystemCodeOfShellResult(intptr_t result)
{
    switch (result) {
    case 0:
    case 8: return 8;     // ERROR_NOT_ENOUGH_MEMORY
    case 2: return 2;     // ERROR_FILE_NOT_FOUND
    case 3: return 3;     // ERROR_PATH_NOT_FOUND
    case 5: return 5;     // ERROR_ACCESS_DENIED
    case 11: return 11;   // ERROR_BAD_FORMAT
    case 26: return 32;   // ERROR_SHARING_VIOLATION
    case 27:
    case 31: return 1155; // ERROR_NO_ASSOCIATION
    case 28:
    case 29:
    case 30: return 1156; // ERROR_DDE_FAIL
    case 32: return 1157; // ERROR_DLL_NOT_FOUND
    default: return 1287; // ERROR_UNIDENTIFIED_ERROR
    }
}

std::string LaunchFailureText(std::string_view description, std::string_view reason)
{
    std::string text = "Execution of '";
    text.append(description).append("' failed.\r").append(reason);
    return text;
}
