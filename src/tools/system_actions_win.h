// The system calls behind the tools menu that change the machine (shutting down,
// switching the display, running programs, the shell's dialogs), and the few settings
// they read, in one interface: tests put a recording stand-in in place of the system.
#pragma once

#include "win/scoped_replacement.h"
#include "win/system_function.h"

#include <windows.h>

#include <string>

struct NetworkDialogResult {
    DWORD result = 0;
    DWORD lastError = 0;  // read right after the dialog returned
};

// The shell's dialogs taken at run time (by ordinal): a system may lack them or, under
// Wine, have only a stub that would end the program.
enum class ShellDialog { Run, FindComputer };

struct ScreenMode {
    int width = 0;
    int height = 0;
    int bitsPerPel = 0;
};

class SystemActions {
public:
    virtual ~SystemActions() = default;

    virtual void ExitWindowsWith(UINT flags) = 0;
    virtual LONG SwitchDisplayMode(const DEVMODEA& mode, DWORD flags) = 0;
    virtual UINT RunCommandLine(const std::string& commandLine, UINT showCommand) = 0;  // WinExec
    virtual void SetScreenSaveActive(bool active) = 0;
    virtual void StartScreenSaver() = 0;
    virtual NetworkDialogResult ConnectionDialog(HWND owner, DWORD resourceType) = 0;
    virtual NetworkDialogResult DisconnectDialog(HWND owner, DWORD resourceType) = 0;
    // False when the dialog could not be called: nothing opened.
    [[nodiscard]] virtual bool FindComputer() = 0;
    [[nodiscard]] virtual bool RunDialog(HWND owner, HICON icon) = 0;
    virtual FunctionState DialogState(ShellDialog dialog) = 0;

    virtual bool ScreenSaverActive() = 0;
    virtual ScreenMode CurrentScreenMode() = 0;
    virtual std::string WindowsDirectory() = 0;
    // The screen saver the NT family keeps in the user's settings; empty when none.
    virtual std::string UserScreenSaver() = 0;
};

// The system in use: the real one unless a test installed another.
SystemActions& System();

// Puts another implementation in place for its lifetime.
class ScopedSystemActions : public ScopedReplacement<SystemActions> {
public:
    explicit ScopedSystemActions(SystemActions& actions);
};
