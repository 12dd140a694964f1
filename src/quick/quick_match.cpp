#include "quick/quick_match.h"

#include "text/unicode.h"

#include <algorithm>
#include <climits>

namespace {

// Each matched letter earns Letter; one at a word start earns WordStart more, one right
// after the letter matched before it Run more, and the first letter matched at the text's
// very start Prefix more. Each letter skipped costs one point, so of two otherwise equal
// matches the tighter and earlier one wins.
constexpr int Letter = 16;
constexpr int WordStart = 24;
constexpr int Run = 16;
constexpr int Prefix = 32;
constexpr int Skip = 1;
constexpr int None = INT_MIN / 4;

bool IsAsciiUpper(char32_t c) { return c >= 'A' && c <= 'Z'; }
bool IsAsciiLower(char32_t c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
// Letters beyond ASCII count as letters: their scripts' punctuation is rare in names.
bool IsLetter(char32_t c) { return IsAsciiUpper(c) || IsAsciiLower(c) || (c >= 0x80 && c != 0xA0 && c != 0x3000); }

bool StartsWord(char32_t before, char32_t c)
{
    if (!IsLetter(c) && !IsDigit(c)) return false;
    if (!IsLetter(before) && !IsDigit(before)) return true;
    // "QuickBox", "Office2021"
    return (IsAsciiLower(before) && IsAsciiUpper(c)) || (IsLetter(before) && IsDigit(c));
}

bool IsBlank(char32_t c) { return c == ' ' || c == '\t' || c == 0xA0 || c == 0x3000; }

}  // namespace

char32_t AsciiCaseFold(char32_t c) { return IsAsciiUpper(c) ? c + ('a' - 'A') : c; }

std::string DescriptionWithoutMnemonic(std::string_view description)
{
    std::string shown;
    shown.reserve(description.size());
    for (size_t i = 0; i < description.size(); ++i) {
        if (description[i] != '&') {
            shown += description[i];
        } else if (i + 1 < description.size() && description[i + 1] == '&') {
            shown += '&';
            ++i;
        }
    }
    return shown;
}

void QuickMatcher::Clear()
{
    folded_.clear();
    wordStart_.clear();
    candidates_.clear();
}

void QuickMatcher::Reserve(size_t candidates, size_t codePoints)
{
    candidates_.reserve(candidates);
    folded_.reserve(codePoints);
    wordStart_.reserve(codePoints);
}

QuickMatcher::Span QuickMatcher::Store(std::string_view text)
{
    Span span{static_cast<uint32_t>(folded_.size()), 0};
    char32_t before = ' ';
    for (size_t at = 0; at < text.size();) {
        const char32_t c = NextCodePoint(text, at);
        folded_ += fold_(c);
        wordStart_.push_back(StartsWord(before, c) ? 1 : 0);
        before = c;
    }
    span.size = static_cast<uint32_t>(folded_.size()) - span.at;
    if (row_.size() < span.size) {
        row_.resize(span.size);
        previous_.resize(span.size);
    }
    return span;
}

void QuickMatcher::Add(std::string_view description, std::string_view fileName)
{
    const std::string shown = DescriptionWithoutMnemonic(description);
    Candidate candidate;
    candidate.description = Store(shown);
    candidate.fileName = Store(fileName);
    candidates_.push_back(candidate);
}

void QuickMatcher::FoldTyped(std::string_view typed)
{
    typed_.clear();
    for (size_t at = 0; at < typed.size();) {
        const char32_t c = NextCodePoint(typed, at);
        if (!IsBlank(c)) typed_ += fold_(c);
    }
}

// The best alignment of the typed letters in order: row[j] is the best score with the
// current letter matched at j, built from the previous letter's row.
int QuickMatcher::Score(Span span)
{
    const char32_t* text = folded_.data() + span.at;
    const uint8_t* starts = wordStart_.data() + span.at;
    const size_t n = span.size, m = typed_.size();
    if (m == 0) return 0;
    // Most texts lack some letter: a plain scan rules them out before any scoring.
    for (size_t j = 0, i = 0;; ++j) {
        if (i == m) break;
        if (j == n) return -1;
        if (text[j] == typed_[i]) ++i;
    }
    for (size_t j = 0; j < n; ++j) {
        row_[j] = text[j] != typed_[0]
                      ? None
                      : Letter + (starts[j] ? WordStart : 0) + (j == 0 ? Prefix : 0) - Skip * static_cast<int>(j);
    }
    for (size_t i = 1; i < m; ++i) {
        std::swap(row_, previous_);
        // Best of previous[k] - Skip * (j - 1 - k) over k <= j - 2: a match with letters skipped.
        int skipped = None;
        row_[0] = None;
        for (size_t j = 1; j < n; ++j) {
            if (j >= 2) skipped = std::max(skipped, previous_[j - 2]) - Skip;
            if (text[j] != typed_[i]) {
                row_[j] = None;
                continue;
            }
            const int best = std::max(previous_[j - 1] + Run, skipped);
            row_[j] = best <= None / 2 ? None : best + Letter + (starts[j] ? WordStart : 0);
        }
    }
    int best = None;
    for (size_t j = 0; j < n; ++j) best = std::max(best, row_[j]);
    return best <= None / 2 ? -1 : std::max(best, 0);
}

int QuickMatcher::ScoreText(std::string_view typed, std::string_view text)
{
    const size_t mark = folded_.size();
    const Span span = Store(text);
    FoldTyped(typed);
    const int score = Score(span);
    folded_.resize(mark);
    wordStart_.resize(mark);
    return score;
}

void QuickMatcher::Sort(std::vector<QuickHit>& hits) const
{
    std::sort(hits.begin(), hits.end(), [](const QuickHit& a, const QuickHit& b) {
        return a.score != b.score ? a.score > b.score : a.candidate < b.candidate;
    });
}

void QuickMatcher::Rank(std::string_view typed, std::vector<QuickHit>& hits)
{
    hits.clear();
    FoldTyped(typed);
    for (size_t k = 0; k < candidates_.size(); ++k) {
        const int score = std::max(Score(candidates_[k].description), Score(candidates_[k].fileName));
        if (score >= 0) hits.push_back({static_cast<int>(k), score});
    }
    Sort(hits);
}

void QuickMatcher::RankAmong(std::string_view typed, const std::vector<QuickHit>& among, std::vector<QuickHit>& hits)
{
    hits.clear();
    FoldTyped(typed);
    for (const QuickHit& last : among) {
        if (last.candidate < 0 || static_cast<size_t>(last.candidate) >= candidates_.size()) continue;
        const Candidate& c = candidates_[static_cast<size_t>(last.candidate)];
        const int score = std::max(Score(c.description), Score(c.fileName));
        if (score >= 0) hits.push_back({last.candidate, score});
    }
    Sort(hits);
}

// can_[j] for letter i: the letters from i on match with letter i at j, each later letter
// either right after the one before it or at a later word start. Built from the last letter back.
bool QuickMatcher::Strong(Span span)
{
    const char32_t* text = folded_.data() + span.at;
    const uint8_t* starts = wordStart_.data() + span.at;
    const size_t n = span.size, m = typed_.size();
    if (m == 0 || m > n) return m == 0;
    for (size_t i = m; i-- > 0;) {
        std::swap(row_, previous_);
        // Whether the next letter can start a piece at a word start after j.
        bool laterStart = false;
        for (size_t j = n; j-- > 0;) {
            const bool next = i + 1 == m || (j + 1 < n && previous_[j + 1]) || laterStart;
            if (i + 1 < m && starts[j] && previous_[j]) laterStart = true;
            row_[j] = text[j] == typed_[i] && next ? 1 : 0;
        }
    }
    for (size_t j = 0; j < n; ++j)
        if (starts[j] && row_[j]) return true;
    return false;
}

bool QuickMatcher::StrongAfterMark(int candidate)
{
    if (candidate < 0 || static_cast<size_t>(candidate) >= candidates_.size()) return false;
    const Candidate& c = candidates_[static_cast<size_t>(candidate)];
    return Strong(c.description) || Strong(c.fileName);
}

void QuickMatcher::MarkStrong(std::string_view typed, std::vector<QuickHit>& hits)
{
    FoldTyped(typed);
    for (QuickHit& hit : hits) {
        if (hit.candidate < 0 || static_cast<size_t>(hit.candidate) >= candidates_.size()) continue;
        const Candidate& c = candidates_[static_cast<size_t>(hit.candidate)];
        hit.strong = Strong(c.description) || Strong(c.fileName);
    }
}
