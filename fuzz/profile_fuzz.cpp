// Arbitrary bytes as an INI file, then lookups and writes with arbitrary names and
// values: nothing may crash, an unchanged file must come out byte for byte, and after
// every write the bytes, parsed again, must answer like the object that wrote them;
// the same for the UTF-8 text of a UTF-16 file, whose buffers count UTF-16 units.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/profile.h"
#include "text/unicode.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

// A name or value that reads back as written: no line break or NUL, and no '=', no
// leading '[' and no leading UTF-8 mark (it can end up first in the file) in a key.
bool Plain(const std::string& s)
{
    return s.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

bool PlainKey(const std::string& k)
{
    size_t first = k.find_first_not_of(" \t\v\f\x1a");
    return Plain(k) && k.find('=') == std::string::npos &&
           (first == std::string::npos || (k[first] != '[' && k.compare(first, 3, "\xEF\xBB\xBF") != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int writes = in.ConsumeIntegralInRange(0, 6);
    std::vector<std::string> strings;
    for (int i = 0; i < 3 * writes + 2; ++i) strings.push_back(in.ConsumeRandomLengthString(24));
    const size_t bufferSize = in.ConsumeIntegralInRange<size_t>(0, 40);
    const ProfileUnits units = in.ConsumeBool() ? ProfileUnits::Utf16 : ProfileUnits::Bytes;
    std::string file = in.ConsumeRemainingBytesAsString();
    if (units == ProfileUnits::Utf16) {
        // The rest is UTF-16LE, held as its (WTF-8) text, as a UTF-16 file is; names
        // and values given in UTF-8 are made valid as the program's texts are.
        std::u16string wide(file.size() / 2, u'\0');
        for (size_t i = 0; i < wide.size(); ++i)
            wide[i] = static_cast<char16_t>(static_cast<uint8_t>(file[2 * i]) | static_cast<uint8_t>(file[2 * i + 1]) << 8);
        file = Wtf8FromUtf16(wide);
        for (auto& s : strings) s = ValidUtf8(s);
    }

    ProfileFile f(file, units);
    Check(f.Bytes() == file);
    std::string probe = f.GetString(strings[0], strings[1], strings[1], bufferSize);
    const size_t probeUnits = units == ProfileUnits::Utf16 ? Utf16FromWtf8(probe).size() : probe.size();
    Check(bufferSize == 0 ? probe.empty() : probeUnits < bufferSize);

    for (int i = 0; i < writes; ++i) {
        const std::string& section = strings[2 + 3 * i];
        const std::string& key = strings[3 + 3 * i];
        const std::string& value = strings[4 + 3 * i];
        f.SetString(section, key, value);
        if (Plain(section) && PlainKey(key) && Plain(value)) Check(f.HasValue(section, key));
        ProfileFile again(f.Bytes(), units);
        for (int j = 0; j <= i; ++j) {
            const std::string& s = strings[2 + 3 * j];
            const std::string& k = strings[3 + 3 * j];
            Check(f.GetString(s, k, "\x01", 4096) == again.GetString(s, k, "\x01", 4096));
            Check(f.GetString(s, k, "\x01", bufferSize) == again.GetString(s, k, "\x01", bufferSize));
        }
        Check(f.GetString(strings[0], strings[1], "", 4096) == again.GetString(strings[0], strings[1], "", 4096));
    }
    return 0;
}
