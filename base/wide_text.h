#pragma once
// UTF-8 inside the program, UTF-16 at the Win32 call: the two conversions
// (Windows only). Failures keep the system's error number and text.

#include <string>
#include <string_view>

namespace qeb {

// Throws RunError for text that is not valid UTF-8.
std::wstring ToWide(std::string_view utf8);
// For texts that are only shown: an invalid sequence becomes U+FFFD.
std::wstring ToWideLenient(std::string_view utf8);
// Throws RunError for an unpaired surrogate: a path that cannot be written in
// UTF-8 must not silently become another path.
std::string ToUtf8(std::wstring_view wide);
// For texts that are only shown: an unpaired surrogate becomes U+FFFD.
std::string ToUtf8Lenient(std::wstring_view wide);

}  // namespace qeb
