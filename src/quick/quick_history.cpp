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

// Weighted use of each target: every start counts 1, halved for each half-life since.
std::unordered_map<std::string_view, double> UseOfTargets(const QuickHistory& history, int64_t now)
{
    std::unordered_map<std::string_view, double> use;
    use.reserve(history.Records().size());
    for (const HistoryRecord& r : history.Records()) {
        const double days = static_cast<double>(std::max<int64_t>(0, now - r.lastUse)) / SecondsPerDay;
        use[r.target] += r.count * std::exp2(-days / HalfLifeDays);
    }
    return use;
}

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

void RankByHistory(QuickMatcher& matcher, const QuickHistory& history, std::string_view typed, int64_t now,
                   const std::vector<std::string>& targets, std::vector<QuickHit>& hits)
{
    matcher.MarkStrong(typed, hits);
    const std::string key = HistoryKey(typed, history.Fold());
    const auto use = UseOfTargets(history, now);

    // How firmly each target was learned for this text: the same text first, then the latest start.
    struct Learned {
        bool same = false;
        int64_t lastUse = INT64_MIN;
        bool operator<(const Learned& o) const { return same != o.same ? !same : lastUse < o.lastUse; }
    };
    std::unordered_map<std::string_view, Learned> learned;
    if (!key.empty()) {
        for (const HistoryRecord& r : history.Records()) {
            if (r.typed.empty() || !(key.starts_with(r.typed) || r.typed.starts_with(key))) continue;
            Learned& l = learned[r.target];
            l = std::max(l, Learned{r.typed == key, r.lastUse});
        }
    }

    struct Keyed {
        QuickHit hit;
        int tier;  // 0 learned strong, 1 strong, 2 learned weak, 3 weak
        Learned learned;
        int score;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(hits.size());
    for (const QuickHit& hit : hits) {
        Keyed k{hit, hit.strong ? 1 : 3, {}, hit.score};
        const bool known = hit.candidate >= 0 && static_cast<size_t>(hit.candidate) < targets.size() &&
                           !targets[static_cast<size_t>(hit.candidate)].empty();
        if (known) {
            const std::string_view target = targets[static_cast<size_t>(hit.candidate)];
            if (auto it = learned.find(target); it != learned.end()) {
                k.tier -= 1;
                k.learned = it->second;
            } else if (auto u = use.find(target); u != use.end()) {
                k.score += BonusOf(u->second);
            }
        }
        keyed.push_back(k);
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.tier != b.tier) return a.tier < b.tier;
        if ((a.tier == 0 || a.tier == 2) && (a.learned < b.learned || b.learned < a.learned)) return b.learned < a.learned;
        if (a.score != b.score) return a.score > b.score;
        return a.hit.candidate < b.hit.candidate;
    });
    for (size_t i = 0; i < hits.size(); ++i) hits[i] = keyed[i].hit;
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
