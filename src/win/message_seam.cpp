#include "win/message_seam.h"

#include "win/application.h"
#include "win/handles.h"
#include "win/text_conversion.h"

namespace {

UINT IconFlag(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return MB_ICONINFORMATION;
    case MessageKind::Warning: return MB_ICONWARNING;
    case MessageKind::Error: return MB_ICONERROR;
    case MessageKind::Confirmation: return MB_ICONQUESTION;
    case MessageKind::None: break;
    }
    return 0;
}

UINT ButtonFlag(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return MB_OK;
    case MessageButtons::OkCancel: return MB_OKCANCEL;
    case MessageButtons::YesNo: return MB_YESNO;
    case MessageButtons::YesNoCancel: return MB_YESNOCANCEL;
    case MessageButtons::RetryCancel: return MB_RETRYCANCEL;
    case MessageButtons::AbortRetryIgnore: return MB_ABORTRETRYIGNORE;
    }
    return MB_OK;
}

// MessageBoxW has no way to name its buttons; a CBT hook renames them when the box is
// activated, before it is first painted.
HHOOK g_dialogHook = nullptr;

LRESULT CALLBACK RenameButtonsHook(int code, WPARAM wParam, LPARAM lParam)
{
    wchar_t className[16] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16) &&
        lstrcmpW(className, L"#32770") == 0) {
        HWND box = reinterpret_cast<HWND>(wParam);
        struct Rename {
            int id;
            const wchar_t* text;
        };
        static constexpr Rename renames[] = {
            {IDYES, L"&Yes"}, {IDNO, L"&No"}, {IDOK, L"OK"}, {IDCANCEL, L"Cancel"}};
        for (const Rename& r : renames)
            if (HWND button = GetDlgItem(box, r.id)) SetWindowTextW(button, r.text);
    }
    return CallNextHookEx(g_dialogHook, code, wParam, lParam);
}

class SystemMessages final : public MessageSeam {
public:
    int Show(const MessageRequest& request) override
    {
        UINT type = MessageBoxType(request);
        const std::wstring text = Wide(request.text);
        const std::wstring caption = Wide(request.caption);
        if (request.form == MessageForm::SystemBox) return MessageBoxW(request.owner, text.c_str(), caption.c_str(), type);

        g_dialogHook = SetWindowsHookExW(WH_CBT, &RenameButtonsHook, nullptr, GetCurrentThreadId());
        ScopeGuard unhook([] {
            if (g_dialogHook) UnhookWindowsHookEx(g_dialogHook);
            g_dialogHook = nullptr;
        });
        return MessageBoxW(request.owner, text.c_str(), caption.c_str(), type);
    }
};

SystemMessages g_systemMessages;
MessageSeam* g_seam = &g_systemMessages;

}  // namespace

MessageSeam& Messages() { return *g_seam; }

ScopedMessageSeam::ScopedMessageSeam(MessageSeam& seam) : ScopedReplacement(g_seam, seam) {}

const char* StandardDialogCaption(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return "Information";
    case MessageKind::Warning: return "Warning";
    case MessageKind::Error: return "Error";
    case MessageKind::Confirmation: return "Confirm";
    case MessageKind::None: break;
    }
    return ProgramTitle;
}

MessageRequest SystemBoxRequest(HWND owner, std::string_view text, std::string_view caption, UINT type)
{
    MessageRequest r;
    r.form = MessageForm::SystemBox;
    r.owner = owner;
    r.text = text;
    r.caption = caption;
    switch (type & MB_ICONMASK) {
    case MB_ICONINFORMATION: r.kind = MessageKind::Information; break;
    case MB_ICONWARNING: r.kind = MessageKind::Warning; break;
    case MB_ICONERROR: r.kind = MessageKind::Error; break;
    case MB_ICONQUESTION: r.kind = MessageKind::Confirmation; break;
    default: r.kind = MessageKind::None; break;
    }
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: r.buttons = MessageButtons::OkCancel; break;
    case MB_YESNO: r.buttons = MessageButtons::YesNo; break;
    case MB_YESNOCANCEL: r.buttons = MessageButtons::YesNoCancel; break;
    case MB_RETRYCANCEL: r.buttons = MessageButtons::RetryCancel; break;
    case MB_ABORTRETRYIGNORE: r.buttons = MessageButtons::AbortRetryIgnore; break;
    default: r.buttons = MessageButtons::Ok; break;
    }
    return r;
}

UINT MessageBoxType(const MessageRequest& request)
{
    return IconFlag(request.kind) | ButtonFlag(request.buttons);
}

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type)
{
    return Messages().Show(SystemBoxRequest(owner, text, caption, type));
}

int ShowMessageDialog(HWND owner, std::string_view text, MessageKind kind, MessageButtons buttons)
{
    MessageRequest r;
    r.form = MessageForm::StandardDialog;
    r.kind = kind;
    r.buttons = buttons;
    r.owner = owner;
    r.text = text;
    r.caption = StandardDialogCaption(kind);
    return Messages().Show(r);
}
