// Texts with quotes and blanks anywhere, shared by the native save-and-load tests and
// their twins under Wine that read the saved file with the system's profile functions.
// Header-only, no <windows.h>.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "config/model.h"

namespace text_cases {

// Texts of at most 2046 characters without CR, LF and NUL: the whole of what a saved
// value must give back exactly.
inline std::vector<std::string> Texts()
{
    std::vector<std::string> out = {
        // In the order of the fields (see PutTexts): menu name, icon path, then the entry's
        // path, icon path, description and parameters.
        "\"C:\\Program Files\\x.exe\"", "'single'", "\"", "'", "'a\"",
        "\"C:\\My Files\\a.txt\" \"C:\\My Files\\b.txt\"", "\"\"", "''", "'\"", "\"a'", "\"\"\"", "'''",
        "\" \"", " ", "  ", "\t", "a", " lead", "trail ", "\tboth\t", "\x1a" "eof\x1a", "\x0b\x0c",
        " \"quoted\" ", "\"'both'\"", "\"a\"b\"", "k=v", "[S]", ";c", "\xA0nbsp\xA0", "\x1c\x1f",
    };
    // Every text of up to three characters from both quotes, two blanks and a letter.
    const std::string small = "\"' \ta";
    std::vector<std::string> level = {""};
    for (int length = 1; length <= 3; ++length) {
        std::vector<std::string> next;
        for (const auto& s : level)
            for (char c : small) next.push_back(s + c);
        out.insert(out.end(), next.begin(), next.end());
        level = std::move(next);
    }
    // Every byte but NUL, CR and LF around a letter and alone at the end of a letter:
    // only the reader's own blanks and quotes may need the extra pair.
    for (int code = 1; code <= 0xFF; ++code) {
        if (code == '\r' || code == '\n') continue;
        const std::string c(1, static_cast<char>(code));
        out.push_back(c + "x" + c);
        out.push_back("x" + c);
    }
    // Random texts, mostly quotes and blanks.
    std::mt19937 rng(2024);
    const std::string rich = "\"\"''  \t\x0b\x0c\x1a" "ab\\=;[]\xA0\xFF";
    for (int i = 0; i < 300; ++i) {
        std::string s(rng() % 20, ' ');
        for (char& c : s) c = rich[rng() % rich.size()];
        out.push_back(s);
    }
    // Around the length limit of a quoted value.
    for (size_t length : {2045u, 2046u})
        for (const char* ends : {"\"\"", "  ", "ab"}) {
            std::string s(length, 'm');
            s.front() = ends[0];
            s.back() = ends[1];
            out.push_back(s);
        }
    return out;
}

// Texts beyond what a quoted value gives back whole: 2047 and 3000 characters that
// need quotes (at both ends, at the front, at the back), and two that need none.
inline std::vector<std::string> LongTexts()
{
    auto text = [](size_t length, char first, char last) {
        std::string s(length, 'm');
        s.front() = first;
        s.back() = last;
        return s;
    };
    return {text(2047, '"', '"'), text(3000, ' ', 'x'), text(2047, 'x', '\t'), text(2047, 'x', 'y'),
            text(3000, 'x', 'y')};
}

// Calls f on every text field of the menus in a fixed order: each menu's name and icon
// path, then each entry's path, icon path, description and parameters.
template <class Menus, class F>
void ForEachText(Menus& menus, F f)
{
    for (auto& menu : menus) {
        f(menu->MenuName);
        f(menu->IconPfad);
        for (auto& item : menu->Items) {
            f(item->Pfad);
            f(item->IconPfad);
            f(item->Description);
            f(item->Parameters);
        }
    }
}

// Menus of up to 100 entries, just enough for their text fields to hold the texts in
// order (the fields left over stay empty), appended to `menus`.
inline void PutTexts(TMenuList& menus, const std::vector<std::string>& texts, const MenuImagesFactory& images)
{
    for (size_t fields = 0; fields < texts.size();) {
        TOneMenu& menu = NewMenu(menus, images);
        fields += 2;
        for (int i = 0; i < 100 && fields < texts.size(); ++i, fields += 4)
            AddItem(menu, std::make_unique<TOneItem>());
    }
    size_t next = 0;
    ForEachText(menus, [&](std::string& field) { field = next < texts.size() ? texts[next++] : std::string(); });
}

inline std::vector<std::string> TextsIn(const TMenuList& menus)
{
    std::vector<std::string> out;
    ForEachText(menus, [&](const std::string& field) { out.push_back(field); });
    return out;
}

inline std::string Escaped(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// The texts read back, one for one; the first few differences in full.
inline void ExpectTextsBack(const std::vector<std::string>& texts, const TMenuList& loaded)
{
    std::vector<std::string> back = TextsIn(loaded);
    ASSERT_GE(back.size(), texts.size());
    int differences = 0;
    for (size_t i = 0; i < texts.size(); ++i)
        if (back[i] != texts[i] && ++differences <= 5)
            ADD_FAILURE() << "text " << i << " \"" << Escaped(texts[i]) << "\" read back as \"" << Escaped(back[i]) << "\"";
    EXPECT_EQ(differences, 0) << "of " << texts.size() << " texts";
    for (size_t i = texts.size(); i < back.size(); ++i) EXPECT_EQ(back[i], "") << "field " << i;
}

}  // namespace text_cases
