#include "fake_messages.h"

#include <gtest/gtest.h>

namespace {

const char* Name(MessageForm form) { return form == MessageForm::SystemBox ? "SystemBox" : "StandardDialog"; }

const char* Name(MessageKind kind)
{
    switch (kind) {
    case MessageKind::None: return "None";
    case MessageKind::Information: return "Information";
    case MessageKind::Warning: return "Warning";
    case MessageKind::Error: return "Error";
    case MessageKind::Confirmation: return "Confirmation";
    }
    return "?";
}

const char* Name(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return "Ok";
    case MessageButtons::OkCancel: return "OkCancel";
    case MessageButtons::YesNo: return "YesNo";
    case MessageButtons::YesNoCancel: return "YesNoCancel";
    case MessageButtons::RetryCancel: return "RetryCancel";
    case MessageButtons::AbortRetryIgnore: return "AbortRetryIgnore";
    }
    return "?";
}

}  // namespace

void PrintTo(const MessageRequest& request, std::ostream* out)
{
    *out << "{" << Name(request.form) << ", " << Name(request.kind) << ", " << Name(request.buttons) << ", owner "
         << static_cast<const void*>(request.owner) << ", caption " << ::testing::PrintToString(request.caption)
         << ", text " << ::testing::PrintToString(request.text) << "}";
}

int FakeMessages::Show(const MessageRequest& request)
{
    asked_.push_back(request);
    if (WhileShown) WhileShown(request);
    if (request.buttons == MessageButtons::Ok) return IDOK;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question \"" << request.text << "\" (" << request.caption << ")";
        return IDCANCEL;
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}
