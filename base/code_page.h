#pragma once
// Single-byte code pages and case. SUA files are text in the Windows ANSI code
// page (1252 on the Spanish systems that write them); zip entry names without
// the UTF-8 flag are code page 437. The program keeps UTF-8 in memory and
// compares characters as the Windows text functions do, in UTF-16 code units.

#include <string>
#include <string_view>

#include "base/utf8.h"

namespace qeb {

// Every byte becomes one character; bytes that 1252 leaves undefined keep
// their own code (U+0081, U+008D, ...), as Windows converts them.
std::string Cp1252ToUtf8(std::string_view text);

// The code-page bytes of a UTF-8 text, the way back of Cp1252ToUtf8; a
// character the code page lacks becomes '?'.
std::string Utf8ToCp1252(std::string_view text);

// Every byte of code page 437 as its UTF-8 character.
std::string Cp437ToUtf8(std::string_view text);

// The code page 437 bytes of a UTF-8 text, the way back of Cp437ToUtf8; a
// character the code page lacks, or a byte that is not UTF-8, becomes '_'.
std::string Utf8ToCp437(std::string_view text);

// 'a'..'z' upper-cased; every other byte as it is.
char AsciiUpperCase(char c);

// Upper case of ASCII, Latin-1 and the letters of code page 1252.
char16_t UpperCase(char16_t c);

// Equal when compared without regard to case.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);
// The same for UTF-8 texts, such as file names.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace qeb
