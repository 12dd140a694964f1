// Type-ahead: characters typed quickly one after another make one text, and the first
// entry whose description begins with it is chosen. Platform-neutral: times and the case
// rule come from the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A character's case-free form; the Win32 side passes the system's rule so that letters
// outside A-Z match too.
using CaseFold = char32_t (*)(char32_t);
char32_t FoldAscii(char32_t c);

class TypeAheadBuffer {
public:
    // About as long as a user pauses before starting a new word.
    static constexpr uint32_t PauseMs = 1000;

    // Adds the character typed at `nowMs` (a millisecond tick that may wrap around) and
    // returns the text so far: a pause of PauseMs or more starts it afresh.
    const std::u32string& Add(char32_t c, uint32_t nowMs);
    void Reset() { text_.clear(); }
    const std::u32string& Text() const { return text_; }

private:
    std::u32string text_;
    uint32_t last_ = 0;
};

// The description as it shows: each "&" marks the next character, "&&" is one "&".
std::string ShownDescription(std::string_view description);

// The first description, from `start` to the last and then (with `wrap`) from the first to
// the one before `start`, whose shown text (UTF-8) begins with `typed`, compared as
// folded by `fold`. -1 when none does or nothing is typed.
int FindByTypedText(const std::vector<std::string_view>& descriptions, std::u32string_view typed, CaseFold fold,
                    int start = 0, bool wrap = false);
