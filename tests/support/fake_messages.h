// In-process stand-in for the message seam: answers from a script and records every
// message the program asked.
#pragma once

#include "win/message_seam.h"

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

// How GoogleTest shows a request in a failed comparison: every field, by name.
void PrintTo(const MessageRequest& request, std::ostream* out);

class FakeMessages final : public MessageSeam {
public:
    FakeMessages() : scope_(*this) {}

    // Answers in order; a message with only an OK button takes IDOK without using one.
    // A question with no scripted answer fails the test and is answered IDCANCEL.
    void Answer(int buttonId) { answers_.push_back(buttonId); }
    // Runs while the message is "on screen", before it is answered.
    std::function<void(const MessageRequest&)> WhileShown;

    const std::vector<MessageRequest>& Asked() const { return asked_; }
    size_t PendingAnswers() const { return answers_.size(); }

    int Show(const MessageRequest& request) override;

private:
    ScopedMessageSeam scope_;
    std::deque<int> answers_;
    std::vector<MessageRequest> asked_;
};
