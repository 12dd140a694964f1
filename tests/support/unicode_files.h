// File and folder names from several scripts, for the tests that carry names through the
// system's wide calls: Cyrillic, Greek, CJK, an emoji outside the basic plane (a surrogate
// pair in UTF-16) and a letter with a combining accent. All UTF-8.
#pragma once

#include "win/text_conversion.h"

#include <windows.h>

#include <string>
#include <string_view>

inline constexpr char CyrillicName[] = "Привет";
inline constexpr char GreekName[] = "Ελληνικά";
inline constexpr char CjkName[] = "漢字";
inline constexpr char EmojiName[] = "smile 😀";
inline constexpr char CombiningName[] = "cafe\xCC\x81";  // e + U+0301, not the precomposed é
// All of them in one name.
inline constexpr char MixedName[] = "Привет Ελληνικά 漢字 😀 cafe\xCC\x81";

// Creates (or replaces) a file of these bytes under a UTF-8 path.
[[nodiscard]] inline bool WriteUnicodeFile(const std::string& path, std::string_view bytes)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}
