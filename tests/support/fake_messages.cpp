#include "fake_messages.h"

#include <gtest/gtest.h>

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
