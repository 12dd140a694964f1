// The common frame of end-to-end tests: a sandbox with a copy of the program, the
// running copy and its main window, and an orderly end of it after each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "driver.h"

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the copy (with that configuration file, if given) and waits for its main window.
    void Launch(const std::optional<std::string>& ini);
    // "&OK - Minimize" in the settings window, then the program is closed: the file it left.
    std::string SaveAndClose(HWND settings);

    std::optional<MgwSandbox> sandbox;
    std::unique_ptr<AppProcess> app;
    HWND main = nullptr;
};

// The settings window's item list: of its two list views, the tall one.
HWND SettingsItemList(HWND settings);

// Small text checks the tests share.
size_t Count(const std::string& text, std::string_view what);
bool EndsWith(const std::string& text, const std::string& tail);
// Folder names compared as Windows does, with or without a trailing backslash.
bool SameFolder(std::string a, std::string b);
