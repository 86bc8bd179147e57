#pragma once
// SUA files are single-byte text in the Windows ANSI code page (1252 on the
// Spanish systems that write them); the program keeps UTF-8 in memory and
// counts and compares characters as the Windows text functions do, in UTF-16
// code units.

#include <string>
#include <string_view>

namespace qeb {

// Appends the UTF-8 bytes of one character of the Basic Multilingual Plane.
void AppendUtf8(char32_t code, std::string& out);

// Every byte becomes one character; bytes that 1252 leaves undefined keep
// their own code (U+0081, U+008D, ...), as Windows converts them.
std::string Cp1252ToUtf8(std::string_view text);

// The code-page bytes of a UTF-8 text, the way back of Cp1252ToUtf8; a
// character the code page lacks becomes '?'.
std::string Utf8ToCp1252(std::string_view text);

// UTF-16 code units of a UTF-8 text. A byte that does not belong to a valid
// sequence becomes the lone unit 0xDC00 + byte, so different texts stay
// different.
std::u16string Utf8ToUtf16(std::string_view text);

// Upper case of ASCII, Latin-1 and the letters of code page 1252.
char16_t UpperCase(char16_t c);

// Equal when compared without regard to case.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);
// The same for UTF-8 texts, such as file names.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace qeb
