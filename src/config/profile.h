// An INI ("private profile") file held in memory: read once, changed in memory,
// written once. Reads give exactly what GetPrivateProfileStringA gives for the same
// bytes; writes leave a file that reads back as after the same
// WritePrivateProfileStringA calls, while every line a write does not change keeps
// its bytes. A UTF-16 file is held as its UTF-8 text (unpaired surrogates kept as
// WTF-8) and then answers as GetPrivateProfileStringW and WritePrivateProfileStringW
// do, its buffer sizes counting UTF-16 units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_names.h"

// The blanks a read trims around names and values: tab, LF, VT, FF, CR, ^Z (DOS end
// of file) and space; 0xA0 and 0x1C-0x1F are not blanks.
inline bool IsProfileBlank(char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}
// True when a read takes a pair of quotes off this value: at least two characters,
// the first ' or " and the last the same.
bool IsProfileQuoted(std::string_view value);

// What the text of a ProfileFile is: the file's own bytes, or the UTF-8 text of a
// UTF-16 file (without its byte-order mark).
enum class ProfileUnits { Bytes, Utf16 };

class ProfileFile {
public:
    ProfileFile() = default;
    // Parses the file's bytes; a missing file is an empty one.
    explicit ProfileFile(std::string bytes, ProfileUnits units = ProfileUnits::Bytes);

    // GetPrivateProfileStringA(section, key, def, buffer, bufferSize, file) with
    // non-null, non-empty section and key: the value (or the default) as it lands in
    // a buffer of bufferSize bytes, at most bufferSize - 1 characters.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def, size_t bufferSize = 2048) const;

    // True when GetString would find the key (present, with an "=").
    bool HasValue(std::string_view section, std::string_view key) const;

    // WritePrivateProfileStringA(section, key, value, file) with non-null arguments.
    void SetString(std::string_view section, std::string_view key, std::string_view value);

    // Room for about `lines` more lines of `bytes` in all: a save that adds thousands
    // of keys then grows each buffer once instead of doubling it again and again.
    void Reserve(size_t lines, size_t bytes);

    // The file's bytes after the writes so far.
    std::string Bytes() const;
    // Whether Bytes() would begin with `prefix`, without building them.
    bool BytesStartWith(std::string_view prefix) const;

private:
    // Line texts live one after another in store_: one allocation for a whole file
    // instead of one per line. A changed line gets a new place at the end.
    struct Line {
        uint32_t at = 0;         // the line's bytes, with its line break, are store_[at, at + size)
        uint32_t size = 0;
        uint32_t next = 0;       // the following line in file order; 0 ends the file
        uint32_t valueAt = 0;    // the value is text[valueAt, valueEnd) when hasValue
        uint32_t valueEnd = 0;
        bool hasValue = false;
    };
    struct Section {
        uint32_t anchor = 0;  // a new key goes after this line: the last one not blank nor ';'
        uint32_t tail = 0;    // the last non-blank line, where Wine appends a new key
    };

    void Parse(std::string_view bytes);
    void Classify(uint32_t index, size_t contentLength, bool& previousKeyUnnamed);
    void Normalize();
    // Names are matched as given (trimmed, cut at a NUL): the indexes fold case
    // while hashing and comparing, so a lookup builds no folded copy.
    uint32_t FindSection(std::string_view name) const;
    uint32_t FindKey(uint32_t section, std::string_view name) const;
    uint32_t Lookup(std::string_view section, std::string_view key) const;
    std::string_view ValueOf(uint32_t line) const;
    std::string_view TextOf(const Line& line) const { return std::string_view(store_.data() + line.at, line.size); }
    std::string_view TextOf(uint32_t line) const { return TextOf(lines_[line]); }
    // Copies text to the end of store_ and links it in as the line after `at`.
    uint32_t InsertAfter(uint32_t at, std::string_view text);
    void SetLineInfo(uint32_t line, bool hasValue, size_t valueAt, size_t valueEnd);
    void ReplaceValue(uint32_t line, std::string_view keyName, std::string_view value);
    void AddKey(uint32_t section, std::string_view key, std::string_view keyName, std::string_view value);
    void AddSection(std::string_view section, std::string_view sectionName, std::string_view key,
                    std::string_view keyName, std::string_view value);

    std::string store_;
    ProfileUnits units_ = ProfileUnits::Bytes;
    std::string bom_;
    std::string eol_ = "\r\n";
    std::vector<Line> lines_{Line{}};        // lines_[0] is the head of the list, not a line
    uint32_t lastLine_ = 0;
    std::vector<Section> sections_{Section{}};  // sections_[0]: the lines before any header
    // Section name -> section number + 1 (the number 0 stands for sections).
    ProfileNameIndex sectionIndex_;
    // (section number, key name) -> line (line 0 is the list head, never a key).
    ProfileNameIndex keys_;
    // The section found last: reads and writes take many keys of one section in a row.
    mutable std::string lastSectionName_;  // folded
    mutable uint32_t lastSection_ = UINT32_MAX;  // none: the name is missing
    mutable bool lastSectionKnown_ = false;
    bool needsNormalize_ = false;
    std::string build_;           // scratch for a line being written
};
