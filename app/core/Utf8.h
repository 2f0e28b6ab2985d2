#pragma once
// UTF-8 sequences in byte strings that need not be valid UTF-8 (file names).

#include <cstddef>
#include <string_view>

// The length of the valid UTF-8 sequence at `at` (1 for ASCII; shortest form,
// no surrogate, at most U+10FFFF); 0 when the bytes there are none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// The code point of the valid sequence of `length` bytes at `at`.
char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length);
