#include "settings/quick_folder_win.h"

#include "config/theme_win.h"
#include "settings/konfig_system_win.h"
#include "settings/quick_folder_rules.h"
#include "shell/folder_glyph_win.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

namespace {

using namespace FormStyle;

using C = QuickFolderControl;

constexpr EventRow<TfrmQuickFolder, C> Events[] = {
    {C::BtnBrowseFolder, BN_CLICKED, &TfrmQuickFolder::BtnBrowseFolderClick},
    {C::BtnOK, BN_CLICKED, &TfrmQuickFolder::BtnOKClick},
    {C::BtnCancel, BN_CLICKED, &TfrmQuickFolder::BtnCancelClick},
};

constexpr DWORD Label = WS_VISIBLE | WS_GROUP;

// In tab order: each label before its field, OK, Cancel.
constexpr ControlRow<C> Controls[] = {
    {C::LabelFolder, "LabelFolder", "STATIC", "&Folder:", 8, 12, 52, 13, Label},
    {C::EdFolder, "EdFolder", "EDIT", "", 64, 8, 275, 21, Edit, WS_EX_CLIENTEDGE},
    {C::BtnBrowseFolder, "BtnBrowseFolder", "BUTTON", "...", 342, 8, 25, 21, Button},
    {C::LabelDepth, "LabelDepth", "STATIC", "&Depth:", 8, 42, 52, 13, Label},
    {C::EdDepth, "EdDepth", "EDIT", "", 64, 38, 33, 21, Edit | ES_NUMBER, WS_EX_CLIENTEDGE},
    {C::UdDepth, "UdDepth", "msctls_updown32", "", 97, 38, 17, 21,
     WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS},
    {C::LabelDepthHint, "LabelDepthHint", "STATIC", "levels of subfolders (0: the folder alone)", 122, 42, 245, 13,
     WS_VISIBLE},
    {C::LabelMasks, "LabelMasks", "STATIC", "Fi&les:", 8, 72, 52, 13, Label},
    {C::EdMasks, "EdMasks", "EDIT", "", 64, 68, 303, 21, Edit, WS_EX_CLIENTEDGE},
    {C::LabelMasksHint, "LabelMasksHint", "STATIC", "Masks separated by semicolons, such as *.exe;*.lnk;*.pdf", 64, 94,
     303, 13, WS_VISIBLE},
    {C::BtnOK, "BtnOK", "BUTTON", "&OK", 212, 120, 75, 25, Button | WS_GROUP | BS_DEFPUSHBUTTON},
    {C::BtnCancel, "BtnCancel", "BUTTON", "&Cancel", 292, 120, 75, 25, Button},
};
static_assert(WellFormedTable(Controls));

constexpr NameRow<C> Names[] = {
    {C::EdFolder, C::LabelFolder},
    {C::BtnBrowseFolder, OnForm<C>, "Browse for the folder"},
    {C::EdDepth, C::LabelDepth},
    {C::UdDepth, C::LabelDepth},
    {C::EdMasks, C::LabelMasks},
};

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::unique_ptr<TfrmQuickFolder> TfrmQuickFolder::Create(HWND owner)
{
    const FormDesign<TfrmQuickFolder, C> design{
        .window = {"TfrmQuickFolder", "Quick-launch folder", 375, 153, ICC_UPDOWN_CLASS},
        .controls = Controls,
        .events = Events,
        .defaultButton = C::BtnOK,
        .cancelButton = C::BtnCancel,
        .initialFocus = C::EdFolder,
        .names = Names};
    auto form = Build(owner, design);
    if (!form) return nullptr;
    HWND updown = form->Control(C::UdDepth);
    SendMessageW(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(form->Control(C::EdDepth)), 0);
    SendMessageW(updown, UDM_SETRANGE32, 0, MaxQuickFolderDepth);
    form->SetButtonIcon(C::BtnBrowseFolder, ShellFolderGlyph());
    form->LimitText(C::EdFolder, MAX_PATH - 1);
    form->LimitText(C::EdDepth, 1);
    form->ChooseFolder = ShellBrowseForFolder;
    return form;
}

std::optional<QuickFolder> TfrmQuickFolder::Execute(HWND owner, const char* caption, const QuickFolder& folder,
                                                    std::vector<QuickFolder> others)
{
    SetWindowTextW(Handle(), Wide(caption).c_str());
    SetText(C::EdFolder, folder.Path);
    SendMessageW(Control(C::UdDepth), UDM_SETPOS32, 0, folder.Depth);
    SetText(C::EdMasks, folder.Masks);
    others_ = std::move(others);
    chosen_.reset();
    return ShowModal(owner) == ModalResult::Ok ? chosen_ : std::nullopt;
}

void TfrmQuickFolder::BtnBrowseFolderClick()
{
    if (!ChooseFolder) return;
    std::string folder = TidyFolder(Text(C::EdFolder));
    if (ChooseFolder(Handle(), folder)) SetText(C::EdFolder, folder);
}

void TfrmQuickFolder::BtnOKClick()
{
    QuickFolderCheck check = CheckQuickFolder({Text(C::EdFolder), Text(C::EdDepth), Text(C::EdMasks)}, IsFolder, others_);
    if (!check.folder) {
        ShowMessageDialog(Handle(), check.problem, MessageKind::Warning, MessageButtons::Ok);
        const C field = check.field == QuickFolderField::Depth   ? C::EdDepth
                        : check.field == QuickFolderField::Masks ? C::EdMasks
                                                                 : C::EdFolder;
        SetFocus(Control(field));
        SendMessageW(Control(field), EM_SETSEL, 0, -1);
        return;
    }
    chosen_ = std::move(check.folder);
    EndModal(ModalResult::Ok);
}

void TfrmQuickFolder::BtnCancelClick() { EndModal(ModalResult::Cancel); }

LRESULT TfrmQuickFolder::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (std::optional<LRESULT> themed = WindowThemeMessage(Handle(), msg, wParam, lParam)) return *themed;
    return Form::HandleMessage(msg, wParam, lParam);
}
