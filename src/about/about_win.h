// The About box: name and version over the banner, the readme file, the home page, and
// the help file on F1.
#pragma once

#include "win/form_of.h"

#include <functional>
#include <memory>

// ShellExecute's signature with UTF-8 texts; the result is a success above 32.
using ShellExecuteFn = std::function<HINSTANCE(HWND owner, const char* verb, const char* file,
                                               const char* parameters, const char* directory, int show)>;

enum class AboutControl { PanelBanner, ImgBanner, LblVersion, MemoCredits, ImgIcon, BtnGotoHome, BtnViewReadme, BtnOK };

class TfrmAbout final : public FormOf<AboutControl> {
public:
    // The banner and the program icon come from `resources`; null means the program itself.
    [[nodiscard]] static std::unique_ptr<TfrmAbout> Create(HWND owner, HMODULE resources = nullptr);

    ModalResult Execute(HWND owner) { return ShowModal(owner); }

    // The shell call behind all three actions; replaceable.
    ShellExecuteFn Shell;

    void BtnViewReadmeClick();
    void BtnGotoHomeClick();
    void BtnOKClick();
    void FormKeyUp(WPARAM key);

    // The banner picture shown, or null when it could not be decoded.
    HBITMAP Banner() const { return static_cast<HBITMAP>(banner_.get()); }

    explicit TfrmAbout(Key) {}

protected:
    // Laid out again for another DPI: the pictures drawn for it.
    void LaidOut() override { SetPictures(); }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void SetPictures();
    HMODULE resources_ = nullptr;
    UniqueGdiObject banner_;
    UniqueIcon icon_;
    UniqueIcon homeGlyph_;
    UniqueIcon readmeGlyph_;
};

// The home page, and the host name shown on its button and in its error message.
inline constexpr char HomePageAddress[] = "http://marigoldwick.example/";
inline constexpr char HomePageHost[] = "marigoldwick.example";
