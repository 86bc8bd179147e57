#pragma once
// The program's one UTF-8 decoder and encoder. Texts are UTF-8 in memory;
// Windows counts and compares characters in UTF-16 code units.

#include <cstddef>
#include <string>
#include <string_view>

namespace qeb {

// Appends the UTF-8 bytes of one character of the Basic Multilingual Plane.
void AppendUtf8(char32_t code, std::string& out);

// Length of the valid UTF-8 sequence at `at` and its code point in `code`, or
// 0 when the bytes there are no valid sequence (overlong forms, surrogates
// and values past U+10FFFF included).
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& code);

bool IsValidUtf8(std::string_view text);

// UTF-16 code units of a UTF-8 text. A byte that does not belong to a valid
// sequence becomes the lone unit 0xDC00 + byte, so different texts stay
// different.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace qeb
