#include "shell/idlist_bytes.h"

namespace {

uint16_t ReadCb(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

const uint8_t* IdListNext(const uint8_t* element) { return element + ReadCb(element); }

size_t IdListSize(const uint8_t* list)
{
    if (!list) return 0;
    size_t size = 2;
    for (const uint8_t* p = list; ReadCb(p) != 0; p = IdListNext(p)) size += ReadCb(p);
    return size;
}

size_t IdListCount(const uint8_t* list)
{
    if (!list) return 0;
    size_t count = 0;
    for (const uint8_t* p = list; ReadCb(p) != 0; p = IdListNext(p)) ++count;
    return count;
}

const uint8_t* IdListLast(const uint8_t* list)
{
    size_t n = IdListCount(list);
    const uint8_t* p = list;
    for (size_t i = 1; i < n; ++i) p = IdListNext(p);
    return p;
}

std::optional<size_t> IdListLengthIn(std::string_view bytes)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t pos = 0;
    while (pos + 2 <= bytes.size()) {
        uint16_t cb = ReadCb(data + pos);
        if (cb == 0) return pos + 2;
        if (cb < 2 || cb > bytes.size() - pos) return std::nullopt;
        pos += cb;
    }
    return std::nullopt;
}

bool IsCompleteIdList(std::string_view bytes)
{
    auto length = IdListLengthIn(bytes);
    return length && *length == bytes.size();
}
