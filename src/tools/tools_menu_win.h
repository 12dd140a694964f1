// The tools menu of the tools icon: its submenus of system actions, shown or hidden by
// ToolsMenuCfg, and the click handlers of its entries.
#pragma once

#include "tools/tools_cfg.h"
#include "win/handles.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// What the tools menu takes from the main window.
struct ToolsMenuHost {
    HWND owner = nullptr;  // owns the question, the network dialogs and their messages
    HICON appIcon = nullptr;  // shown in the Run dialog
    std::function<void()> showSettings;
    std::function<void()> quit;
};

class ToolsMenu {
public:
    explicit ToolsMenu(ToolsMenuHost host);
    ~ToolsMenu();
    ToolsMenu(const ToolsMenu&) = delete;
    ToolsMenu& operator=(const ToolsMenu&) = delete;

    HMENU PopUpToolsMenu() const { return popUpToolsMenu_.get(); }
    // Runs before every popup: submenu visibility, the current mode, the screen saver entries.
    void PopUpToolsMenuPopup();
    // Runs the handler of one of this menu's commands; false for any other identifier.
    bool Command(WORD id);

    // The command identifier of an entry, and the submenu, by component name.
    static std::optional<WORD> CommandOf(std::string_view component);
    HMENU Submenu(std::string_view component) const;

    void TPMRun1Click();
    void TPMAddNetworkdrive1Click();
    void TPMRemoveNetworkDrive1Click();
    void TPMFindComputer1Click();
    void TPMReboot2Click();
    void TPMShutdown1Click();
    void TPMLogOff1Click();
    void TPMForceShutdown1Click();
    void TPMConfigure1Click();
    void TPMSwitchto640x480Click();
    void TPMSwitchto800x600Click();
    void TPMSwitchto1024x768Click();
    void TPMSwitchto1280x1024Click();
    void TPMSwitchto8BitClick();
    void TPMSwitchto16bitClick();
    void TPMSwitchTo24bitClick();
    void TPMSwitchTo32bitClick();
    void TPMStartScreensaver1Click();
    void TPMSelectscreensaver1Click();
    void TPMConfigureScreensaver1Click();
    void TPMEnableScreensaver1Click();
    void TPMDisableScreensaver1Click();
    void TPMSettings1Click();
    void TPMQuitMarigoldwick1Click();

private:
    void ShowSubmenus(const std::array<bool, ToolsSubmenuCount>& visible);
    void SetEnabled(std::string_view component, bool enabled);

    ToolsMenuHost host_;
    UniqueMenu popUpToolsMenu_;
    // Owned here rather than by the top menu: a hidden submenu is detached from it.
    std::array<UniqueMenu, ToolsSubmenuCount> submenus_;
};

// Switches one dimension of the display mode (0 leaves a dimension as it is), stored
// as the permanent setting; a refusal is reported.
void ChangeDisplayMode(int32_t bitsPerPel, int32_t width, int32_t height);
