#include "config/profile.h"

#include <algorithm>
#include <cstring>

#include "config/profile_names.h"
#include "text/unicode.h"

// The rules below follow Wine 8's kernel32 profile code as measured under Wine (the
// differential tests hold them): Wine converts the file through code page 1252, a
// byte-for-byte mapping, so the engine can work on bytes.
namespace {

constexpr uint32_t kNoSection = UINT32_MAX;
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// s[at, at + n), which lies inside s: substr's range check is measurable in the hot paths.
std::string_view Part(std::string_view s, size_t at, size_t n)
{
    return std::string_view(s.data() + at, n);
}

std::string_view TrimLeft(std::string_view s)
{
    size_t b = 0;
    while (b < s.size() && IsProfileBlank(s[b])) ++b;
    return Part(s, b, s.size() - b);
}

std::string_view TrimRight(std::string_view s)
{
    size_t e = s.size();
    while (e > 0 && IsProfileBlank(s[e - 1])) --e;
    return Part(s, 0, e);
}

// Wine keeps names and values as C strings: everything after a NUL is lost.
std::string_view CutAtNul(std::string_view s)
{
    // A plain loop, not string_view::find: msvcrt's memchr is slow for the short texts here.
    size_t n = 0;
    while (n < s.size() && s[n] != '\0') ++n;
    return Part(s, 0, n);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldProfileChar(a[i]) != FoldProfileChar(b[i])) return false;
    return true;
}

size_t ContentLength(std::string_view text)
{
    size_t n = text.size();
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r')) --n;
    return n;
}

struct LineInfo {
    enum Kind { Blank, Header, Key } kind = Blank;
    size_t nameAt = 0, nameEnd = 0;    // raw name, before cutting at a NUL
    size_t valueAt = 0, valueEnd = 0;  // for a key without "=", both at the end of its name
    bool hasValue = false;
    bool comment = false;
};

LineInfo ParseLine(std::string_view s)
{
    LineInfo info;
    size_t b = 0, e = s.size();
    while (b < e && IsProfileBlank(s[b])) ++b;
    while (e > b && IsProfileBlank(s[e - 1])) --e;
    if (b == e) return info;
    if (s[b] == '[') {
        // The last ']' closes the name, which is trimmed inside the brackets.
        size_t close = s.substr(0, e).rfind(']');
        if (close != std::string_view::npos && close > b) {
            info.kind = LineInfo::Header;
            info.nameAt = b + 1;
            info.nameEnd = close;
            while (info.nameAt < info.nameEnd && IsProfileBlank(s[info.nameAt])) ++info.nameAt;
            while (info.nameEnd > info.nameAt && IsProfileBlank(s[info.nameEnd - 1])) --info.nameEnd;
            return info;
        }
        // A '[' without ']' is an ordinary key line.
    }
    info.kind = LineInfo::Key;
    info.comment = s[b] == ';';
    info.nameAt = b;
    size_t eq = b;
    while (eq < e && s[eq] != '=') ++eq;
    if (eq == e) {
        info.nameEnd = info.valueAt = info.valueEnd = e;
        return info;
    }
    info.hasValue = true;
    info.nameEnd = eq;
    while (info.nameEnd > b && IsProfileBlank(s[info.nameEnd - 1])) --info.nameEnd;
    info.valueAt = eq + 1;
    while (info.valueAt < e && IsProfileBlank(s[info.valueAt])) ++info.valueAt;
    info.valueEnd = e;
    return info;
}

std::string_view NameOf(std::string_view content, const LineInfo& info)
{
    return CutAtNul(Part(content, info.nameAt, info.nameEnd - info.nameAt));
}

// True when the text, written as one line, reads back as the header or key named
// `name` (in any case): a name or value with a line break, '=' or brackets would not.
// `info` receives the parsed line.
bool ReadsBackAs(std::string_view text, LineInfo::Kind kind, std::string_view name, LineInfo& info)
{
    // A plain loop: find_first_of calls memchr once per character, slow in msvcrt.
    if (std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; })) return false;
    info = ParseLine(text);
    if (info.kind != kind) return false;
    return EqualsIgnoringCase(NameOf(text, info), name);
}

// GetPrivateProfileString's copy into the caller's buffer: a value wrapped in matching
// quotes loses them, and when the buffer is exactly as long as the value after the
// opening quote, one more character is lost (PROFILE_CopyEntry).
// Counted in the units of the file: bytes, or UTF-16 units, where a short buffer may
// end between the halves of a surrogate pair as the wide function's does.
template <class Char>
std::basic_string<Char> CopyUnits(std::basic_string_view<Char> v, size_t bufferSize)
{
    if (bufferSize == 0) return {};
    bool quoted = v.size() >= 2 && (v[0] == '\'' || v[0] == '"') && v.back() == v[0];
    if (quoted) v.remove_prefix(1);
    std::basic_string<Char> out(v.substr(0, std::min(bufferSize - 1, v.size())));
    if (quoted && bufferSize >= v.size() && !out.empty()) out.pop_back();
    return out;
}

std::string CopyEntry(std::string_view v, size_t bufferSize, ProfileUnits units)
{
    // A buffer longer than the bytes is longer than the UTF-16 units too, and then only
    // the closing quote, one unit and one byte alike, can be lost.
    if (units == ProfileUnits::Bytes || bufferSize > v.size()) return CopyUnits(v, bufferSize);
    const std::u16string wide = Utf16FromWtf8(v);
    return Wtf8FromUtf16(CopyUnits(std::u16string_view(wide), bufferSize));
}

}  // namespace

bool IsProfileQuoted(std::string_view value)
{
    return value.size() >= 2 && (value[0] == '\'' || value[0] == '"') && value.back() == value[0];
}

ProfileFile::ProfileFile(std::string bytes, ProfileUnits units) : units_(units)
{
    Parse(bytes);
}

void ProfileFile::Parse(std::string_view bytes)
{
    bom_.clear();
    eol_ = "\r\n";
    lines_.assign(1, Line{});
    lastLine_ = 0;
    sections_.assign(1, Section{});
    sectionIndex_.Clear(bytes.size() / 256);
    keys_.Clear(bytes.size() / 24);
    lastSectionKnown_ = false;
    needsNormalize_ = false;

    // A UTF-16 file's mark is gone already; a second one is text.
    if (units_ == ProfileUnits::Bytes && bytes.substr(0, kBom.size()) == kBom) {
        bom_ = kBom;
        bytes.remove_prefix(kBom.size());
    }
    store_.assign(bytes);
    store_.reserve(store_.size() + store_.size() / 2 + 4096);  // room for the writes of a save
    bytes = store_;
    lines_.reserve(bytes.size() / 24 + 16);
    bool eolKnown = false;
    bool previousKeyUnnamed = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        size_t next = end;
        if (next < bytes.size()) {
            next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
            if (!eolKnown) eol_ = bytes.substr(end, next - end);
            eolKnown = true;
        }
        Line line;
        line.at = static_cast<uint32_t>(pos);
        line.size = static_cast<uint32_t>(next - pos);
        lines_.push_back(line);
        auto index = static_cast<uint32_t>(lines_.size() - 1);
        lines_[lastLine_].next = index;
        lastLine_ = index;
        Classify(index, end - pos, previousKeyUnnamed);
        pos = next;
    }
}

void ProfileFile::Classify(uint32_t index, size_t contentLength, bool& previousKeyUnnamed)
{
    Line& line = lines_[index];
    std::string_view content = Part(TextOf(line), 0, contentLength);
    LineInfo info = ParseLine(content);
    if (info.kind == LineInfo::Blank) return;
    if (CutAtNul(content).size() != content.size()) needsNormalize_ = true;
    if (info.kind == LineInfo::Header) {
        std::string_view name = NameOf(content, info);
        // Wine saves a section without a name as no header at all.
        if (name.empty()) needsNormalize_ = true;
        sections_.push_back(Section{index, index});
        if (!name.empty()) sectionIndex_.Insert(0, name, static_cast<uint32_t>(sections_.size()));
        previousKeyUnnamed = false;
        return;
    }
    Section& section = sections_.back();
    section.tail = index;
    if (!info.comment) section.anchor = index;
    line.hasValue = info.hasValue;
    line.valueAt = static_cast<uint32_t>(info.valueAt);
    line.valueEnd = static_cast<uint32_t>(info.valueEnd);
    std::string_view name = NameOf(content, info);
    // Wine drops a nameless key that follows another nameless key; the first one
    // answers every lookup anyway.
    if (info.nameAt == info.nameEnd && previousKeyUnnamed) return;
    previousKeyUnnamed = name.empty();
    keys_.Insert(static_cast<uint32_t>(sections_.size() - 1), name, index);
}

// Brings the file to what Wine's next save would make of it where that changes how
// it reads: nameless section headers go (their keys join the section before), lines
// holding a NUL are rewritten without what follows the NUL, and the nameless keys
// Wine dropped while loading go too.
void ProfileFile::Normalize()
{
    std::string out = bom_;
    bool previousKeyUnnamed = false;
    for (uint32_t i = lines_[0].next; i; i = lines_[i].next) {
        std::string_view text = TextOf(i);
        size_t length = ContentLength(text);
        std::string_view content = text.substr(0, length), eol = text.substr(length);
        LineInfo info = ParseLine(content);
        bool hasNul = content.find('\0') != std::string_view::npos;
        std::string_view name = NameOf(content, info);
        if (info.kind == LineInfo::Header) {
            previousKeyUnnamed = false;
            if (name.empty()) continue;
            if (hasNul) {
                out.append("[").append(name).append("]").append(eol);
                continue;
            }
        } else if (info.kind == LineInfo::Key) {
            if (info.nameAt == info.nameEnd && previousKeyUnnamed) continue;
            previousKeyUnnamed = name.empty();
            if (hasNul) {
                std::string line(name);
                if (info.hasValue)
                    line.append("=").append(CutAtNul(content.substr(info.valueAt, info.valueEnd - info.valueAt)));
                if (!line.empty()) out.append(line).append(eol);
                continue;
            }
        }
        out += text;
    }
    Parse(out);
}

uint32_t ProfileFile::FindSection(std::string_view name) const
{
    // The lines before any header answer to the empty name, whatever headers follow.
    if (name.empty()) return 0;
    if (lastSectionKnown_ && EqualsFolded(name, lastSectionName_)) return lastSection_;
    // A missing section is remembered too: a load asks it for every one of its keys.
    uint32_t found = sectionIndex_.Find(0, name);
    lastSection_ = found == 0 ? kNoSection : found - 1;
    lastSectionKnown_ = true;
    lastSectionName_.clear();
    AppendFolded(lastSectionName_, name);
    return lastSection_;
}

uint32_t ProfileFile::FindKey(uint32_t section, std::string_view name) const
{
    if (section == kNoSection) return 0;
    return keys_.Find(section, name);
}

uint32_t ProfileFile::Lookup(std::string_view section, std::string_view key) const
{
    auto trim = [](std::string_view s) { return TrimRight(TrimLeft(CutAtNul(s))); };
    return FindKey(FindSection(trim(section)), trim(key));
}

std::string_view ProfileFile::ValueOf(uint32_t line) const
{
    const Line& l = lines_[line];
    return CutAtNul(Part(TextOf(l), l.valueAt, l.valueEnd - l.valueAt));
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view def, size_t bufferSize) const
{
    uint32_t line = Lookup(section, key);
    if (line && lines_[line].hasValue) return CopyEntry(ValueOf(line), bufferSize, units_);
    // Only spaces are cut from the default, and an all-space default keeps one.
    def = CutAtNul(def);
    size_t keep = def.find_last_not_of(' ');
    if (!def.empty()) def = def.substr(0, keep == std::string_view::npos ? 1 : keep + 1);
    return CopyEntry(def, bufferSize, units_);
}

bool ProfileFile::HasValue(std::string_view section, std::string_view key) const
{
    uint32_t line = Lookup(section, key);
    return line && lines_[line].hasValue;
}

uint32_t ProfileFile::InsertAfter(uint32_t at, std::string_view text)
{
    Line& before = lines_[at];
    if (at != 0 && ContentLength(TextOf(before)) == before.size) {
        // The last line had no line break: it moves to the end with one.
        std::string moved(TextOf(before));
        moved += eol_;
        before.at = static_cast<uint32_t>(store_.size());
        before.size = static_cast<uint32_t>(moved.size());
        store_ += moved;
    }
    Line line;
    line.at = static_cast<uint32_t>(store_.size());
    line.size = static_cast<uint32_t>(text.size());
    store_ += text;
    line.next = before.next;
    lines_.push_back(std::move(line));
    auto index = static_cast<uint32_t>(lines_.size() - 1);
    lines_[at].next = index;
    if (at == lastLine_) lastLine_ = index;
    return index;
}

void ProfileFile::SetLineInfo(uint32_t line, bool hasValue, size_t valueAt, size_t valueEnd)
{
    Line& l = lines_[line];
    l.hasValue = hasValue;
    l.valueAt = static_cast<uint32_t>(valueAt);
    l.valueEnd = static_cast<uint32_t>(valueEnd);
}

void ProfileFile::SetString(std::string_view section, std::string_view key, std::string_view value)
{
    // Wine keeps the names as given after their leading blanks; lookups trim both ends.
    std::string_view sectionName = TrimLeft(CutAtNul(section));
    std::string_view keyName = TrimLeft(CutAtNul(key));
    value = TrimLeft(CutAtNul(value));
    const std::string_view sectionMatch = TrimRight(sectionName);
    const std::string_view keyMatch = TrimRight(keyName);

    uint32_t s = FindSection(sectionMatch);
    uint32_t line = FindKey(s, keyMatch);
    if (line && lines_[line].hasValue && ValueOf(line) == value) return;  // Wine leaves the file alone
    if (needsNormalize_) {
        Normalize();
        s = FindSection(sectionMatch);
        line = FindKey(s, keyMatch);
    }
    if (line)
        ReplaceValue(line, keyMatch, value);
    else if (s != kNoSection)
        AddKey(s, keyName, keyMatch, value);
    else
        AddSection(sectionName, sectionMatch, keyName, keyMatch, value);
}

// Changed and added lines that would not read back as written (a value with a line
// break, a key with '=' or brackets) are written raw, as Wine writes them, and the
// file is parsed again: rare, and it keeps the in-memory view equal to the bytes.
void ProfileFile::ReplaceValue(uint32_t line, std::string_view keyName, std::string_view value)
{
    Line& l = lines_[line];
    std::string_view old = TextOf(l);
    size_t length = ContentLength(old);
    build_.assign(old.substr(0, l.valueAt));
    if (!l.hasValue) build_ += '=';
    build_ += value;
    LineInfo info;
    bool plain = ReadsBackAs(build_, LineInfo::Key, keyName, info);
    build_ += old.substr(length);
    l.at = static_cast<uint32_t>(store_.size());
    l.size = static_cast<uint32_t>(build_.size());
    store_ += build_;
    if (!plain) return Parse(Bytes());
    SetLineInfo(line, info.hasValue, info.valueAt, info.valueEnd);
}

void ProfileFile::AddKey(uint32_t section, std::string_view key, std::string_view keyName,
                         std::string_view value)
{
    build_.assign(key).append("=").append(value);
    LineInfo info;
    bool plain = ReadsBackAs(build_, LineInfo::Key, keyName, info);
    Section& sec = sections_[section];
    uint32_t at = plain ? sec.anchor : sec.tail;
    // A key starting with the UTF-8 mark, written first in the file, makes it a UTF-8 file.
    if (at == 0 && bom_.empty() && units_ == ProfileUnits::Bytes && build_.starts_with(kBom)) plain = false;
    uint32_t line = InsertAfter(at, build_.append(eol_));
    if (!plain) return Parse(Bytes());
    SetLineInfo(line, info.hasValue, info.valueAt, info.valueEnd);
    if (sec.tail == sec.anchor) sec.tail = line;
    sec.anchor = line;
    keys_.Insert(section, keyName, line);
}

void ProfileFile::AddSection(std::string_view section, std::string_view sectionName,
                             std::string_view key, std::string_view keyName, std::string_view value)
{
    build_.assign("[").append(section).append("]");
    LineInfo info;
    bool plain = ReadsBackAs(build_, LineInfo::Header, sectionName, info);
    uint32_t headerLine = InsertAfter(lastLine_, build_.append(eol_));
    sections_.push_back(Section{headerLine, headerLine});
    auto s = static_cast<uint32_t>(sections_.size() - 1);
    if (!plain) {
        std::string text(key);
        InsertAfter(headerLine, text.append("=").append(value) + eol_);
        return Parse(Bytes());
    }
    sectionIndex_.Insert(0, sectionName, s + 1);
    lastSectionKnown_ = false;  // it may have been remembered as missing
    AddKey(s, key, keyName, value);
}

void ProfileFile::Reserve(size_t lines, size_t bytes)
{
    store_.reserve(store_.size() + bytes);
    lines_.reserve(lines_.size() + lines);
    keys_.Reserve(lines);
}

std::string ProfileFile::Bytes() const
{
    size_t size = bom_.size();
    for (uint32_t i = lines_[0].next; i; i = lines_[i].next) size += lines_[i].size;
    std::string out;
    out.reserve(size);
    out += bom_;
    for (uint32_t i = lines_[0].next; i; i = lines_[i].next) out += TextOf(i);
    return out;
}

bool ProfileFile::BytesStartWith(std::string_view prefix) const
{
    std::string head = bom_;
    for (uint32_t i = lines_[0].next; i && head.size() < prefix.size(); i = lines_[i].next)
        head += TextOf(i).substr(0, prefix.size());
    return head.starts_with(prefix);
}
