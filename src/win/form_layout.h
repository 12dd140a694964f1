// Where a form's controls go at its DPI, how large its window is, and the fonts its controls
// show: the message font at the form's DPI, made again when the DPI or the font changes.
#pragma once

#include "win/form_table.h"
#include "win/handles.h"

#include <windows.h>

#include <span>
#include <vector>

// One control as the layout sees it: its row's place at 96 DPI and its window.
struct LaidControl {
    HWND hwnd;
    int parent;  // index of an earlier control, -1 for the form
    const char* className;
    const char* caption;
    int x, y, w, h;
    ControlFont font;
};

// Places every control for `dpi`, grown where its caption needs more room (text_fit.h);
// gives the form's client size.
SIZE LayOutControls(HWND form, std::span<const LaidControl> controls, SIZE designedClient, UINT dpi);

// Sizes the form's window so that its client area is `client` at `dpi`, with its top left
// corner at `topLeft`, or centred on the screen.
void PlaceFormAt(HWND form, const FormShape& shape, POINT topLeft, SIZE client, UINT dpi);
void PlaceFormCentred(HWND form, const FormShape& shape, SIZE client, UINT dpi);

class FormFonts {
public:
    // The message font at `dpi` and the form's sizes of it.
    void Make(const FormShape& shape, UINT dpi);
    HGDIOBJ Of(ControlFont font) const;
    // The user picked another message font since the fonts were made.
    bool MessageFontChanged(UINT dpi) const;
    // A font of the control's own: the message font at another size of its table (pixels at
    // 96 DPI), weight or underline; made again with the others.
    void SetOwn(HWND control, int pixels, int weight, bool underline);
    // Makes every font again for `dpi`; the controls that showed one of the form's fonts get
    // the new one of their kind. Fonts a form set by itself stay.
    void Remake(const FormShape& shape, UINT dpi, std::span<const LaidControl> controls);

private:
    UniqueGdiObject normal_;
    UniqueGdiObject small_;
    UniqueGdiObject smallBold_;
    LOGFONTW message_{};
    struct Own {
        HWND control;
        int pixels;
        int weight;
        bool underline;
        UniqueGdiObject font;
    };
    std::vector<Own> own_;
};
