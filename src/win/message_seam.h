// Every message box and message dialog of the program goes through one seam, so tests
// can answer them and see what was asked.
#pragma once

#include "win/scoped_replacement.h"

#include <windows.h>

#include <string>
#include <string_view>

enum class MessageKind { None, Information, Warning, Error, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
// SystemBox: MessageBoxW with the caller's caption. StandardDialog: the user-interface
// library's message dialog, captioned by its kind and with English button texts whatever
// the system's language.
enum class MessageForm { SystemBox, StandardDialog };

struct MessageRequest {
    MessageForm form = MessageForm::SystemBox;
    MessageKind kind = MessageKind::None;
    MessageButtons buttons = MessageButtons::Ok;
    HWND owner = nullptr;
    std::string caption;
    std::string text;

    bool operator==(const MessageRequest&) const = default;
};

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    // Returns the id of the button that closed the message (IDOK, IDYES, IDNO, IDCANCEL...).
    virtual int Show(const MessageRequest& request) = 0;
};

// The seam in use: the real boxes unless a test installed another.
MessageSeam& Messages();

// Puts a seam in place for its lifetime; the previous one comes back afterwards.
class ScopedMessageSeam : public ScopedReplacement<MessageSeam> {
public:
    explicit ScopedMessageSeam(MessageSeam& seam);
};

// MessageBoxW(owner, text, caption, type) through the seam; texts are UTF-8.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);
// The standard message dialog of that kind.
int ShowMessageDialog(HWND owner, std::string_view text, MessageKind kind, MessageButtons buttons);

// "Information", "Warning", "Error", "Confirm"; "Marigoldwick" for a plain notice.
const char* StandardDialogCaption(MessageKind kind);
// The request MessageBoxW(owner, text, caption, type) stands for, and back.
MessageRequest SystemBoxRequest(HWND owner, std::string_view text, std::string_view caption, UINT type);
UINT MessageBoxType(const MessageRequest& request);
