// Item identifier lists as bytes: size-prefixed elements ended by a 16-bit zero.
// Only the framing is read here; the element data belongs to the shell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Walking a list in memory that is known to be well formed.
const uint8_t* IdListNext(const uint8_t* element);
size_t IdListSize(const uint8_t* list);   // terminator included; 0 for null
size_t IdListCount(const uint8_t* list);  // elements before the terminator; 0 for null
const uint8_t* IdListLast(const uint8_t* list);

// Length of the complete list at the start of `bytes`, terminator included, or none
// when an element is shorter than its size field, runs past the end, or the
// terminator is missing.
std::optional<size_t> IdListLengthIn(std::string_view bytes);
// True when `bytes` is exactly one complete list, nothing before or after.
bool IsCompleteIdList(std::string_view bytes);
