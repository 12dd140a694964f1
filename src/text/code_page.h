// The system's 8-bit code page, behind a seam: the Win32 build asks the system, native
// tests and fuzzing use a fixed table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class CodePage {
public:
    virtual ~CodePage() = default;
    // UTF-8 of code-page bytes.
    virtual std::string ToUtf8(std::string_view bytes) const = 0;
    // The code-page bytes of a UTF-8 text, or none when a character has no exact
    // counterpart: no best-fit look-alike, no default character, and malformed UTF-8
    // is not representable either.
    virtual std::optional<std::string> FromUtf8(std::string_view utf8) const = 0;
};

// Windows-1252, byte for byte as the system maps it (the five unassigned bytes map to
// the C1 controls of the same number, so every byte round-trips).
class Windows1252 : public CodePage {
public:
    std::string ToUtf8(std::string_view bytes) const override;
    std::optional<std::string> FromUtf8(std::string_view utf8) const override;
};

// The code page of the running system (CP_ACP); only in the Win32 build.
const CodePage& SystemCodePage();
