#include "quick/quick_history.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "config/config_document.h"
#include "config/profile.h"
#include "config/values.h"
#include "text/code_page.h"
#include "text/unicode.h"

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr int64_t SecondsPerDay = 24 * 60 * 60;

bool IsBlank(char32_t c) { return c == ' ' || c == '\t' || c == 0xA0 || c == 0x3000; }

int BonusOf(double use)
{
    // Logarithmic: the tenth start adds less than the first, so habit cannot outweigh a letter.
    return std::min(MaxUseBonus, static_cast<int>(8 * std::log2(1 + use)));
}

std::optional<int64_t> ParseTime(std::string_view text)
{
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18 & 0x07));
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string SectionOf(size_t index)
{
    std::string name = "H";
    name += std::to_string(index);
    return name;
}

}  // namespace

std::string HistoryKey(std::string_view typed, CaseFold fold)
{
    std::string key;
    key.reserve(typed.size());
    for (size_t at = 0; at < typed.size();) {
        const char32_t c = NextCodePoint(typed, at);
        if (!IsBlank(c)) AppendUtf8(key, fold(c));
    }
    return key;
}

void QuickHistory::Record(std::string_view typed, std::string_view target, int64_t now)
{
    if (target.empty() || target.size() > MaxText || typed.size() > MaxText) return;
    Add({HistoryKey(typed, fold_), std::string(target), 1, now});
}

void QuickHistory::Add(HistoryRecord record)
{
    for (HistoryRecord& r : records_) {
        if (r.typed == record.typed && r.target == record.target) {
            r.count = r.count > INT32_MAX - record.count ? INT32_MAX : r.count + record.count;
            r.lastUse = std::max(r.lastUse, record.lastUse);
            return;
        }
    }
    records_.push_back(std::move(record));
    if (records_.size() <= MaxRecords) return;
    const auto oldest = std::min_element(records_.begin(), records_.end(), [](const auto& a, const auto& b) {
        return a.lastUse < b.lastUse;
    });
    records_.erase(oldest);
}

bool QuickHistory::Remove(std::string_view target)
{
    return std::erase_if(records_, [&](const HistoryRecord& r) { return r.target == target; }) > 0;
}

std::vector<std::string> QuickHistory::Recent(size_t most) const
{
    std::vector<const HistoryRecord*> byTime;
    byTime.reserve(records_.size());
    for (const HistoryRecord& r : records_) byTime.push_back(&r);
    // Of two starts in the same second, the record made later is taken as the later start.
    std::stable_sort(byTime.begin(), byTime.end(), [](const auto* a, const auto* b) { return a->lastUse > b->lastUse; });
    std::vector<std::string> recent;
    for (auto it = byTime.begin(); it != byTime.end() && recent.size() < most; ++it) {
        if (std::find(recent.begin(), recent.end(), (*it)->target) == recent.end()) recent.push_back((*it)->target);
    }
    return recent;
}

HistoryRanking::HistoryRanking(const QuickHistory& history, int64_t now, std::vector<uint64_t> targets)
    : history_(&history)
{
    std::unordered_map<uint64_t, int32_t> numbers;
    std::vector<double> use;
    recordTarget_.reserve(history.Records().size());
    for (const HistoryRecord& r : history.Records()) {
        const auto [it, added] = numbers.emplace(TargetHash(r.target), static_cast<int32_t>(use.size()));
        if (added) use.push_back(0);
        recordTarget_.push_back(it->second);
        const double days = static_cast<double>(std::max<int64_t>(0, now - r.lastUse)) / SecondsPerDay;
        use[static_cast<size_t>(it->second)] += r.count * std::exp2(-days / HalfLifeDays);
    }
    bonus_.reserve(use.size());
    for (double u : use) bonus_.push_back(BonusOf(u));
    learned_.resize(use.size());
    targetOf_.assign(targets.size(), -1);
    if (numbers.empty()) return;
    for (size_t c = 0; c < targets.size(); ++c)
        if (auto it = numbers.find(targets[c]); targets[c] && it != numbers.end()) targetOf_[c] = it->second;
}

void HistoryRanking::Rank(QuickMatcher& matcher, std::string_view typed, std::vector<QuickHit>& hits)
{
    if (bonus_.empty()) return;
    const std::string key = HistoryKey(typed, history_->Fold());
    std::fill(learned_.begin(), learned_.end(), Learned{});
    std::vector<bool> isLearned(learned_.size(), false);
    if (!key.empty()) {
        const auto& records = history_->Records();
        for (size_t i = 0; i < records.size(); ++i) {
            const HistoryRecord& r = records[i];
            if (r.typed.empty() || !(key.starts_with(r.typed) || r.typed.starts_with(key))) continue;
            const auto t = static_cast<size_t>(recordTarget_[i]);
            learned_[t] = std::max(learned_[t], Learned{r.typed == key, r.lastUse});
            isLearned[t] = true;
        }
    }
    // Only the hits the history knows move; the rest keep the matcher's order, and whether
    // one of them is a strong match is asked only where a known hit would pass it.
    known_.clear();
    rest_.clear();
    for (const QuickHit& hit : hits) {
        const bool known = hit.candidate >= 0 && static_cast<size_t>(hit.candidate) < targetOf_.size() &&
                           targetOf_[static_cast<size_t>(hit.candidate)] >= 0;
        (known ? known_ : rest_).push_back(hit);
    }
    if (known_.empty()) return;
    matcher.MarkStrong(typed, known_);

    struct Keyed {
        QuickHit hit;
        Learned learned;
        int score;  // with the use bonus
    };
    std::vector<Keyed> learnedStrong, learnedWeak, usedStrong, usedWeak;
    for (const QuickHit& hit : known_) {
        const auto t = static_cast<size_t>(targetOf_[static_cast<size_t>(hit.candidate)]);
        if (isLearned[t]) (hit.strong ? learnedStrong : learnedWeak).push_back({hit, learned_[t], hit.score});
        else (hit.strong ? usedStrong : usedWeak).push_back({hit, {}, hit.score + bonus_[t]});
    }
    auto byLearned = [](const Keyed& a, const Keyed& b) {
        if (a.learned < b.learned || b.learned < a.learned) return b.learned < a.learned;
        return a.score != b.score ? a.score > b.score : a.hit.candidate < b.hit.candidate;
    };
    auto byScore = [](const Keyed& a, const Keyed& b) {
        return a.score != b.score ? a.score > b.score : a.hit.candidate < b.hit.candidate;
    };
    std::sort(learnedStrong.begin(), learnedStrong.end(), byLearned);
    std::sort(learnedWeak.begin(), learnedWeak.end(), byLearned);
    std::sort(usedStrong.begin(), usedStrong.end(), byScore);
    std::sort(usedWeak.begin(), usedWeak.end(), byScore);

    auto strong = [&](QuickHit& hit) { return hit.strong = matcher.StrongAfterMark(hit.candidate); };
    auto ahead = [](const Keyed& k, const QuickHit& r) {
        return k.score != r.score ? k.score > r.score : k.hit.candidate < r.candidate;
    };
    hits.clear();
    for (const Keyed& k : learnedStrong) hits.push_back(k.hit);
    size_t s = 0, w = 0;
    // A used weak hit passes a rest hit its own score did not already beat only if that
    // one is weak too: use alone never lifts a weak match over a strong one.
    auto weakMayPass = [&](const Keyed& k, QuickHit& r) {
        const bool beatenAnyway = k.hit.score != r.score ? k.hit.score > r.score : k.hit.candidate < r.candidate;
        return beatenAnyway || !strong(r);
    };
    for (QuickHit& r : rest_) {
        for (;;) {
            const bool takeStrong = s < usedStrong.size() && ahead(usedStrong[s], r);
            const bool takeWeak = w < usedWeak.size() && ahead(usedWeak[w], r) && weakMayPass(usedWeak[w], r);
            if (takeStrong && (!takeWeak || byScore(usedStrong[s], usedWeak[w]))) hits.push_back(usedStrong[s++].hit);
            else if (takeWeak) hits.push_back(usedWeak[w++].hit);
            else break;
        }
        hits.push_back(r);
    }
    while (s < usedStrong.size() || w < usedWeak.size()) {
        if (w == usedWeak.size() || (s < usedStrong.size() && byScore(usedStrong[s], usedWeak[w])))
            hits.push_back(usedStrong[s++].hit);
        else
            hits.push_back(usedWeak[w++].hit);
    }
    if (learnedWeak.empty()) return;
    // Learned weak hits come first among the weak ones: after the last strong hit.
    size_t after = hits.size();
    while (after > learnedStrong.size() && !strong(hits[after - 1])) --after;
    std::vector<QuickHit> learned;
    for (const Keyed& k : learnedWeak) learned.push_back(k.hit);
    hits.insert(hits.begin() + static_cast<std::ptrdiff_t>(after), learned.begin(), learned.end());
}

void RankByHistory(QuickMatcher& matcher, const QuickHistory& history, std::string_view typed, int64_t now,
                   const std::vector<std::string>& targets, std::vector<QuickHit>& hits)
{
    std::vector<uint64_t> hashes;
    hashes.reserve(targets.size());
    for (const std::string& t : targets) hashes.push_back(TargetHash(t));
    HistoryRanking(history, now, std::move(hashes)).Rank(matcher, typed, hits);
}

QuickHistory ReadHistory(std::string_view bytes, const CodePage& codePage, CaseFold fold)
{
    QuickHistory history(fold);
    const ProfileBytes opened = OpenProfileBytes(std::string(bytes));
    const ProfileFile& file = opened.file;
    const bool codePageFile = opened.encoding == ConfigEncoding::CodePage;
    auto text = [&](const std::string& section, const char* name) {
        std::string value = file.GetString(section, name, "", IniValueBuffer);
        return codePageFile ? codePage.ToUtf8(value) : value;
    };
    // Records are written numbered from 0 without gaps; a few missing ones (a header
    // damaged by hand) are passed over, a long run of them ends the file.
    constexpr int MaxMissing = 32;
    int missing = 0;
    for (size_t i = 0; i < QuickHistory::MaxRecords && missing <= MaxMissing; ++i) {
        const std::string section = SectionOf(i);
        if (!file.HasValue(section, "Target")) {
            ++missing;
            continue;
        }
        missing = 0;
        HistoryRecord r;
        r.typed = HistoryKey(text(section, "Text"), fold);
        r.target = text(section, "Target");
        const auto count = ParseIniInt(text(section, "Count"));
        const auto time = ParseTime(text(section, "Time"));
        if (r.target.empty() || !count || *count < 1 || !time) continue;
        if (r.target.size() > QuickHistory::MaxText || r.typed.size() > QuickHistory::MaxText) continue;
        if (!IsValidUtf8(r.target) || !IsValidUtf8(r.typed)) continue;
        r.count = *count;
        r.lastUse = *time;
        history.Add(std::move(r));
    }
    return history;
}

std::string WriteHistory(const QuickHistory& history)
{
    ProfileFile file(std::string(), ProfileUnits::Utf16);
    file.Reserve(history.Records().size() * 5, history.Records().size() * 96);
    for (size_t i = 0; i < history.Records().size(); ++i) {
        const HistoryRecord& r = history.Records()[i];
        const std::string section = SectionOf(i);
        file.SetString(section, "Text", IniText(r.typed));
        file.SetString(section, "Target", IniText(r.target));
        file.SetString(section, "Count", std::to_string(r.count));
        file.SetString(section, "Time", std::to_string(r.lastUse));
    }
    return std::string(Utf8Bom) + file.Bytes();
}
