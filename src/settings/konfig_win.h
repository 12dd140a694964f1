// The settings window: edits the live model; OK saves it, Quit ends the program.
#pragma once

#include "win/form.h"

#include <functional>
#include <memory>

class TfrmKonfig final : public Form {
public:
    // Created hidden, owned by the main window. shutdownPending tells whether Windows is
    // ending the logon (then quitting asks nothing).
    [[nodiscard]] static std::unique_ptr<TfrmKonfig> Create(HWND owner, std::function<bool()> shutdownPending);

    // While the settings are open the window carries the application's taskbar button.
    void ShowTaskbarButton(bool shown);

    void BtnOKClick();
    void BtnQuitClick();

    struct Key {
        explicit Key() = default;
    };
    explicit TfrmKonfig(Key) {}

private:
    std::function<bool()> shutdownPending_;
};
