#include "settings/konfig_mask_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/entry_icon_rules.h"
#include "menus/entry_icon_win.h"
#include "menus/menu_images_win.h"
#include "settings/iconpick_win.h"
#include "settings/konfig_rules.h"
#include "shell/environment_win.h"
#include "shell/icon_picker_win.h"
#include "shell/path_text.h"
#include "win/application.h"
#include "win/dpi.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

#include <array>
#include <utility>

using C = KonfigControl;

namespace {

constexpr int DescriptionLimit = 254;
constexpr int PreviewSize = 48;  // the preview's picture at 96 DPI
// Resource id 4 (a negative index names an id): the closed folder in Windows' and Wine's shell32.
constexpr int ShellFolderIconIndex = -4;
constexpr std::array<const char*, 4> StartModeNames{"Normal", "Minimized", "Maximized", "Hidden"};

struct FolderState {
    bool folder = false;      // an existing folder, once variables are expanded
    bool notAFolder = false;  // certainly none (empty, a file, a shell item); else perhaps out of reach now
};

FolderState FolderStateOf(bool shellItem, const std::string& path)
{
    if (shellItem || path.empty()) return {false, true};
    const DWORD attributes = GetFileAttributesW(ExpandEnvironmentWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return {folder, !folder};
}

}  // namespace

KonfigMask::KonfigMask(KonfigForm& form, const KonfigHost& host, const KonfigSystem& system)
    : form_(form), host_(host), system_(system), previewPicture_(NewPictureSlots()), glyphPicture_(NewPictureSlots())
{
    for (C combo : {C::ComboStartMode, C::ComboAutoStartMode})
        for (const char* name : StartModeNames)
            SendMessageW(form_.Control(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    form_.LimitText(C::EdBeschreibung, DescriptionLimit);
    SetBrowseGlyphs();
}

KonfigMask::~KonfigMask() = default;

int KonfigMask::PreviewPictureSize() const { return ScaleByDpi(PreviewSize, form_.Dpi()); }

int KonfigMask::GlyphSize() const { return SystemMetricForDpi(SM_CXSMICON, form_.Dpi()); }

void KonfigMask::Clear()
{
    loading_ = true;
    ScopeGuard loaded([this] { loading_ = false; });
    pidl_.reset();
    isPIDL_ = false;
    form_.SetText(C::EdPfad, "");
    SetPfadEditable(true);
    form_.SetText(C::EdIconPfad, "");
    form_.SetChecked(C::CheckDefaultIcon, true);
    form_.SetChecked(C::CheckAutoStart, false);
    // A new item starts normally: the combo says so rather than showing nothing.
    SendMessageW(form_.Control(C::ComboStartMode), CB_SETCURSEL, 0, 0);
    SendMessageW(form_.Control(C::ComboAutoStartMode), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    form_.SetText(C::EdParams, "");
    form_.SetText(C::EdBeschreibung, "");
    form_.SetText(C::EdWorkingDir, "");
    form_.SetChecked(C::CheckRunAsAdmin, false);
    form_.SetChecked(C::CheckFolderMenu, false);
    form_.SetControlsEnabled(C::PanEditControls, true);
    UpdateFolderMenuCheck();
    UpdateIconRange();
    UpdateIconPreview();
}

bool KonfigMask::Load(const TOneItem& item)
{
    loading_ = true;
    ScopeGuard loaded([this] { loading_ = false; });
    if (item.IsPIDL) {
        pidl_ = IdListFromBytes(item.Pfad);
        std::string name;
        if (pidl_) {
            IShellFolder* desktop = host_.desktopFolder ? host_.desktopFolder() : nullptr;
            if (desktop) name = GetDisplayNameInFolder(desktop, pidl_.get(), false);
            // The parent folder is bound on a copy: naming cuts the list short for a moment.
            if (name.empty()) {
                ShellIdList copy = IdListFromBytes(item.Pfad);
                if (copy) name = GetIdListDisplayName(copy.get(), true, false, false);
            }
        }
        form_.SetText(C::EdPfad, name.empty() ? "(unknown shell item)" : name);
        SetPfadEditable(false);
        isPIDL_ = true;
    } else {
        pidl_.reset();
        form_.SetText(C::EdPfad, item.Pfad);
        SetPfadEditable(true);
        isPIDL_ = false;
    }
    bool separator = form_.Text(C::EdPfad) == SeparatorMarker;
    if (separator) {
        form_.SetText(C::EdPfad, "Separator");
        SetPfadEditable(false);
    }
    form_.SetEnabled(C::BtnModifyItem, !separator);
    form_.SetEnabled(C::BtnAddItem, !separator);
    form_.SetControlsEnabled(C::PanEditControls, !separator);

    form_.SetText(C::EdIconPfad, item.IconPfad);
    form_.SetChecked(C::CheckDefaultIcon, item.IconNum == DefaultIconNum);
    SetComboStartMode(C::ComboStartMode, item.Startmode);
    SetComboStartMode(C::ComboAutoStartMode, item.AutoStartmode);
    form_.SetChecked(C::CheckAutoStart, item.Autostart);
    form_.SetText(C::EdParams, item.Parameters);
    form_.SetText(C::EdBeschreibung, item.Description);
    form_.SetText(C::EdWorkingDir, item.WorkingDir);
    form_.SetChecked(C::CheckRunAsAdmin, item.RunAsAdmin);
    form_.SetChecked(C::CheckFolderMenu, item.FolderMenu);
    if (!separator) UpdateFolderMenuCheck();
    UpdateIconRange();
    SetIconNumPosition(item.IconNum == DefaultIconNum ? 0 : item.IconNum);
    UpdateIconPreview();
    return separator;
}

int KonfigMask::IconNumPosition() const { return GetScrollPos(form_.Control(C::ScrollBarIconNum), SB_CTL); }

void KonfigMask::SetIconNumPosition(int position)
{
    SetScrollPos(form_.Control(C::ScrollBarIconNum), SB_CTL, position, TRUE);
}

void KonfigMask::UpdateIconRange()
{
    pfadTyped_ = false;
    bool useDefault = form_.IsChecked(C::CheckDefaultIcon);
    int count = 0;
    if (isPIDL_) count = useDefault ? 0 : IconCountOf(form_.Text(C::EdIconPfad));
    else count = IconCountOf(useDefault ? form_.Text(C::EdPfad) : form_.Text(C::EdIconPfad));
    int maximum = count >= 2 ? count - 1 : 0;
    // An empty range would hide the bar: it stays visible and is disabled instead.
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = maximum;
    SetScrollInfo(form_.Control(C::ScrollBarIconNum), SB_CTL, &info, TRUE);
    form_.SetEnabled(C::ScrollBarIconNum, maximum > 0 && !useDefault);
}

void KonfigMask::UpdateFolderMenuCheck()
{
    // A folder out of reach now (a network share) keeps the choice, greyed, until it answers.
    const FolderState state = FolderStateOf(isPIDL_, form_.Text(C::EdPfad));
    if (state.notAFolder) form_.SetChecked(C::CheckFolderMenu, false);
    form_.SetEnabled(C::CheckFolderMenu, state.folder);
}

void KonfigMask::UpdateIconPreview()
{
    KillTimer(form_.Handle(), PreviewTimer);
    TOneItem shown;
    shown.IsPIDL = isPIDL_;
    shown.Pfad = isPIDL_ ? IdListToBytes(pidl_.get()) : form_.Text(C::EdPfad);
    shown.IconNum = form_.IsChecked(C::CheckDefaultIcon) ? DefaultIconNum : IconNumPosition();
    shown.IconPfad = form_.Text(C::EdIconPfad);
    HICON placeholder = host_.placeholder ? host_.placeholder() : nullptr;
    auto* pictures = previewPicture_.get();
    if (!pictures) {
        SetPreview(GetEntryIcon(shown.Pfad, shown.IsPIDL, shown.IconNum, shown.IconPfad, placeholder));
        return;
    }
    // The worker makes the picture: a slow file never holds up the window. The preview
    // keeps what it shows until then (the placeholder at first).
    if (pictures->Count() == 0) pictures->AddEntryImage(shown);
    else (void)pictures->ReplaceEntryImage(0, shown);
    const int size = PreviewPictureSize();
    pictures->RequestPictures(size, PictureUrgency::Shown);
    pictures->MarkShownPending(0, size, form_.Handle(), nullptr);
    previewPending_ = true;
    if (!preview_ && placeholder) SetPreview(UniqueIcon(CopyIcon(placeholder)));
    TakeFinishedPictures();
}

void KonfigMask::SetPreview(UniqueIcon icon)
{
    SendMessageW(form_.Control(C::ImgIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    InvalidateRect(form_.Control(C::ImgIcon), nullptr, TRUE);
    preview_ = std::move(icon);
}

void KonfigMask::PathTyped()
{
    KillTimer(form_.Handle(), PreviewTimer);
    if (pfadTyped_) {
        UpdateIconRange();
        UpdateFolderMenuCheck();
    }
    UpdateIconPreview();
}

void KonfigMask::EdPfadChange()
{
    if (loading_) return;
    pfadTyped_ = true;
    SetTimer(form_.Handle(), PreviewTimer, PreviewPause, nullptr);
}

HICON KonfigMask::PreviewIcon() const
{
    return reinterpret_cast<HICON>(SendMessageW(form_.Control(C::ImgIcon), STM_GETICON, 0, 0));
}

void KonfigMask::EdIconPfadChange()
{
    if (loading_) return;
    UpdateIconRange();
    // Each key restarts the pause: the preview follows once typing rests.
    SetTimer(form_.Handle(), PreviewTimer, PreviewPause, nullptr);
}

void KonfigMask::CheckDefaultIconClick()
{
    UpdateIconRange();
    UpdateIconPreview();
}

void KonfigMask::ScrollBarIconNumChange() { UpdateIconPreview(); }

void KonfigMask::SetPfadEditable(bool editable)
{
    // A read-only edit takes the button-face colour by itself.
    SendMessageW(form_.Control(C::EdPfad), EM_SETREADONLY, editable ? FALSE : TRUE, 0);
}

void KonfigMask::SetComboStartMode(KonfigControl combo, uint16_t value)
{
    int index = StartModeIndex(value);
    if (index >= 0) SendMessageW(form_.Control(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int KonfigMask::ComboChoice(KonfigControl combo) const
{
    return static_cast<int>(SendMessageW(form_.Control(combo), CB_GETCURSEL, 0, 0));
}

ItemMask KonfigMask::Read() const
{
    ItemMask mask;
    mask.shellItem = isPIDL_;
    mask.pfad = form_.Text(C::EdPfad);
    mask.iconPfad = form_.Text(C::EdIconPfad);
    mask.useDefaultIcon = form_.IsChecked(C::CheckDefaultIcon);
    mask.iconNum = IconNumPosition();
    mask.startModeChoice = ComboChoice(C::ComboStartMode);
    mask.autoStartModeChoice = ComboChoice(C::ComboAutoStartMode);
    mask.autostart = form_.IsChecked(C::CheckAutoStart);
    mask.parameters = form_.Text(C::EdParams);
    mask.description = form_.Text(C::EdBeschreibung);
    mask.workingDir = form_.Text(C::EdWorkingDir);
    mask.runAsAdmin = form_.IsChecked(C::CheckRunAsAdmin);
    // Judged again: the path may have changed since the last pause in typing.
    mask.folderMenu = form_.IsChecked(C::CheckFolderMenu) && !FolderStateOf(isPIDL_, mask.pfad).notAFolder;
    return mask;
}

void KonfigMask::BtnBrowsePfadClick()
{
    // A file dialog cannot choose a folder: the button offers both.
    enum : UINT { ChooseAFile = 1, ChooseAFolder = 2 };
    UniqueMenu kinds(CreatePopupMenu());
    if (!kinds) return;
    AppendMenuW(kinds.get(), MF_STRING, ChooseAFile, L"&File...");
    AppendMenuW(kinds.get(), MF_STRING, ChooseAFolder, L"F&older...");
    RECT button{};
    GetWindowRect(form_.Control(C::BtnBrowsePfad), &button);
    UINT kind = static_cast<UINT>(TrackPopupMenu(kinds.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                 button.left, button.bottom, 0, form_.Handle(), nullptr));
    std::string path;
    if (kind == ChooseAFile) {
        if (!system_.ChooseFile || !system_.ChooseFile(form_.Handle(), path)) return;
    } else if (kind == ChooseAFolder) {
        path = isPIDL_ ? std::string() : ExpandEnvironment(form_.Text(C::EdPfad));
        if (!system_.ChooseFolder || !system_.ChooseFolder(form_.Handle(), path)) return;
    } else {
        return;
    }
    isPIDL_ = false;
    pidl_.reset();
    SetPfadEditable(true);
    form_.SetText(C::EdPfad, path);
    if (IsProgramPath(path)) form_.SetText(C::EdIconPfad, path);
    form_.SetChecked(C::CheckDefaultIcon, true);
    UpdateFolderMenuCheck();
    UpdateIconRange();
    UpdateIconPreview();
}

void KonfigMask::BtnBrowseWorkingDirClick()
{
    // The dialog opens at the folder typed so far, else at the one the entry starts in now.
    std::string folder = ExpandEnvironment(form_.Text(C::EdWorkingDir));
    if (folder.empty() && !isPIDL_) folder = WorkingDirectoryOf(ExpandEnvironment(form_.Text(C::EdPfad)));
    if (!system_.ChooseFolder || !system_.ChooseFolder(form_.Handle(), folder)) return;
    form_.SetText(C::EdWorkingDir, folder);
}

void KonfigMask::BtnBrowseIconPathClick()
{
    if (form_.IsChecked(C::CheckDefaultIcon)) {
        ShowMessageBox(form_.Handle(), "Please uncheck 'use default icon' before choosing an icon.", ProgramTitle, MB_OK);
        return;
    }
    if (!system_.PickIcon) return;
    int index = IconNumPosition();
    std::string path = FirstUnits(form_.Text(C::EdIconPfad), PickerPathLimit);
    if (!system_.PickIcon(form_.Handle(), path, index)) return;
    form_.SetText(C::EdIconPfad, path);
    UpdateIconRange();
    UpdateIconPreview();
    SetIconNumPosition(index);
    UpdateIconPreview();
}

void KonfigMask::ImgIconClick()
{
    // The first click of a double click opens the picker, which disables this window: the
    // second must not open another one from inside it.
    if (IsWindowEnabled(form_.Handle())) BtnBrowseIconPathClick();
}

void KonfigMask::SetBrowseGlyphs()
{
    auto* pictures = glyphPicture_.get();
    if (!pictures) return;
    if (pictures->Count() == 0) {
        std::array<wchar_t, MAX_PATH> system{};
        GetSystemDirectoryW(system.data(), MAX_PATH);
        TOneItem folder;
        folder.IconPfad = Utf8(system.data()) + "\\shell32.dll";
        folder.IconNum = ShellFolderIconIndex;
        pictures->AddEntryImage(folder);
    }
    const int size = GlyphSize();
    pictures->RequestPictures(size, PictureUrgency::Shown);
    pictures->MarkShownPending(0, size, form_.Handle(), nullptr);
    glyphPending_ = true;
    TakeFinishedPictures();
}

void KonfigMask::TakeFinishedPictures()
{
    auto* glyph = glyphPicture_.get();
    if (glyphPending_ && glyph && glyph->IsFinal(0, GlyphSize())) {
        glyphPending_ = false;
        const int size = GlyphSize();
        UniqueIcon icon(ImageList_GetIcon(glyph->Handle(size), glyph->PictureIndex(0, size), ILD_NORMAL));
        if (icon) {
            // The browse buttons show the folder, or "..." without it.
            for (C button : {C::BtnBrowsePfad, C::BtnBrowseIconPath, C::BtnBrowseWorkingDir}) {
                HWND control = form_.Control(button);
                SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | BS_ICON);
                SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
            }
            browseGlyph_ = std::move(icon);
        }
    }
    auto* preview = previewPicture_.get();
    if (previewPending_ && preview && preview->IsFinal(0, PreviewPictureSize())) {
        previewPending_ = false;
        const int size = PreviewPictureSize();
        SetPreview(UniqueIcon(ImageList_GetIcon(preview->Handle(size), preview->PictureIndex(0, size), ILD_NORMAL)));
    }
}

void KonfigMask::LaidOut(bool shown)
{
    SetBrowseGlyphs();
    if (shown) UpdateIconPreview();
}

std::optional<LRESULT> KonfigMask::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == PreviewTimer) {
        PathTyped();
        return 0;
    }
    if (msg == WM_VSCROLL) {
        HWND bar = form_.Control(C::ScrollBarIconNum);
        if (reinterpret_cast<HWND>(lParam) != bar) return std::nullopt;
        if (std::optional<int> next = ScrollBarRequest(bar, wParam)) {
            SetIconNumPosition(*next);
            ScrollBarIconNumChange();
        }
        return 0;
    }
    return std::nullopt;
}
