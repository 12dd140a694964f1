// The quick-launch box's matching: typed letters against every entry's description and
// the file name of its path. Letters may skip; word starts, runs of consecutive letters
// and a match at the very start score higher. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Maps a code point to the form two letters share when they differ only in case.
using CaseFold = char32_t (*)(char32_t);
char32_t AsciiCaseFold(char32_t c);

// The description as the box shows it: "&&" stands for "&", any other "&" goes.
std::string DescriptionWithoutMnemonic(std::string_view description);

struct QuickHit {
    int candidate;  // position in the order of Add
    int score;
    // Set only by MarkStrong: the typed letters fall on the start of the text or on word
    // starts, each piece a run from a word start ("rep", "mr", "morep" in "Monthly Report").
    bool strong = false;
};

// Holds every candidate's texts folded once (when the box opens), so that ranking them
// again for each keystroke folds nothing and allocates nothing per candidate.
class QuickMatcher {
public:
    explicit QuickMatcher(CaseFold fold = AsciiCaseFold) : fold_(fold) {}

    void Clear();
    void Reserve(size_t candidates, size_t codePoints);
    // Both texts UTF-8; either may be empty. The description is taken as the box shows it.
    void Add(std::string_view description, std::string_view fileName);
    int Count() const { return static_cast<int>(candidates_.size()); }

    // The candidates the typed text matches, best first, equal scores in the order of
    // Add. Blanks in the typed text are passed over; an empty text matches everything
    // (score 0, in order). `hits` is reused.
    void Rank(std::string_view typed, std::vector<QuickHit>& hits);
    // The same, trying only `among` (sorted by candidate or not): when the typed text
    // grows by letters at its end, only the last hits can still match.
    void RankAmong(std::string_view typed, const std::vector<QuickHit>& among, std::vector<QuickHit>& hits);

    // Tells each hit whether its description or file name matches the typed text strongly.
    void MarkStrong(std::string_view typed, std::vector<QuickHit>& hits);
    // The same for one candidate, for the text of the last MarkStrong.
    bool StrongAfterMark(int candidate);

    // The score of one folded text alone (for tests): -1 when it does not match.
    int ScoreText(std::string_view typed, std::string_view text);

private:
    struct Span {
        uint32_t at = 0;
        uint32_t size = 0;
    };
    struct Candidate {
        Span description;
        Span fileName;
    };
    Span Store(std::string_view text);
    void FoldTyped(std::string_view typed);
    int Score(Span text);
    bool Strong(Span text);
    void Sort(std::vector<QuickHit>& hits) const;

    CaseFold fold_;
    // Folded code points of every text one after another, and a flag per code point:
    // whether a word starts there.
    std::u32string folded_;
    std::vector<uint8_t> wordStart_;
    std::vector<Candidate> candidates_;
    // Per-keystroke working room, grown once to the longest text.
    std::u32string typed_;
    std::vector<int> row_, previous_;
};
