// What was started from the quick-launch box, and for which typed text: the box lists
// the latest starts while it is empty and ranks what was picked before first when the
// same text comes again. All times are Unix seconds passed in, so nothing here reads a
// clock. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quick/quick_catalog.h"
#include "quick/quick_match.h"

class CodePage;

struct HistoryRecord {
    std::string typed;   // as HistoryKey gives it
    std::string target;  // what was started: an entry's identity or a path
    int32_t count = 1;
    int64_t lastUse = 0;
    bool operator==(const HistoryRecord&) const = default;
};

// The typed text as records keep it: folded, blanks left out (the matcher passes over them too).
std::string HistoryKey(std::string_view typed, CaseFold fold = AsciiCaseFold);

class QuickHistory {
public:
    static constexpr size_t MaxRecords = 2000;
    static constexpr size_t MaxRecent = 20;
    // Longer texts would not come back whole from the file.
    static constexpr size_t MaxText = 2000;

    explicit QuickHistory(CaseFold fold = AsciiCaseFold) : fold_(fold) {}

    // A start of `target` after typing `typed`; beyond MaxRecords the oldest record goes.
    void Record(std::string_view typed, std::string_view target, int64_t now);
    // Forgets every start of the target. False when there was none.
    bool Remove(std::string_view target);
    void Clear() { records_.clear(); }

    // The targets started last, newest first, each once.
    std::vector<std::string> Recent(size_t most = MaxRecent) const;

    const std::vector<HistoryRecord>& Records() const { return records_; }
    CaseFold Fold() const { return fold_; }

private:
    friend QuickHistory ReadHistory(std::string_view bytes, const CodePage& codePage, CaseFold fold);
    void Add(HistoryRecord record);

    CaseFold fold_;
    std::vector<HistoryRecord> records_;  // in the order they were first made
};

// Puts the matcher's hits for `typed` in the order the box shows them: strong matches
// (see QuickHit::strong) before weak ones, so that use alone never puts a strong match
// below a weak one. Within each, a target started before for this text, for a text this
// one begins with or for one that begins with it comes first, the same text before a
// related one, then the latest start. Every other hit gains a small bonus for its use
// (less than one letter's worth, halving every HalfLifeDays), so it only decides between
// close scores. Equal scores keep the order of Add (the menus' entries first).
constexpr int64_t HalfLifeDays = 14;
constexpr int MaxUseBonus = 15;

// The history as one opening of the box ranks with it: each candidate's target looked up
// once, the use bonus reckoned once, so a keystroke only compares typed texts and moves
// the few hits the history knows.
class HistoryRanking {
public:
    // `targets[candidate]` is each candidate's TargetHash (0: none). The history must
    // stay as it is while this is used.
    HistoryRanking(const QuickHistory& history, int64_t now, std::vector<uint64_t> targets);
    // `hits` as the matcher ranked them for `typed`.
    void Rank(QuickMatcher& matcher, std::string_view typed, std::vector<QuickHit>& hits);

private:
    struct Learned {
        bool same = false;
        int64_t lastUse = INT64_MIN;
        bool operator<(const Learned& o) const { return same != o.same ? !same : lastUse < o.lastUse; }
    };
    const QuickHistory* history_;
    std::vector<int32_t> targetOf_;      // per candidate: the history's target number, -1 none
    std::vector<int32_t> recordTarget_;  // per record
    std::vector<int> bonus_;             // per target
    std::vector<Learned> learned_;       // per target, for the typed text
    std::vector<QuickHit> known_, rest_;
};

// The same for one keystroke, with the targets' texts (missing or empty: no history).
void RankByHistory(QuickMatcher& matcher, const QuickHistory& history, std::string_view typed, int64_t now,
                   const std::vector<std::string>& targets, std::vector<QuickHit>& hits);

// The history file: sections [H0], [H1], ... in any of the configuration file's
// encodings (code page, UTF-8 or UTF-16LE with a byte-order mark). A damaged record is
// passed over; unreadable bytes give an empty history.
QuickHistory ReadHistory(std::string_view bytes, const CodePage& codePage, CaseFold fold = AsciiCaseFold);
// UTF-8 with a byte-order mark, which holds every text.
std::string WriteHistory(const QuickHistory& history);
