#include "zip/safe_path.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/code_page.h"
#include "zip/zip_errors.h"

namespace qeb::zip {
namespace {

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

[[noreturn]] void Refuse(const std::string& name) {
  throw ZipFormatError(ZipDefect::kUnsafeName, name);
}

bool OnlyDotsAndBlanks(std::string_view step) {
  return std::all_of(step.begin(), step.end(), [](char c) { return c == '.' || c == ' '; });
}

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpperCase(c);
  return upper;
}

// Windows opens a device for these names, whatever the extension or folder.
bool IsDeviceName(std::string_view step) {
  std::string base = UpperAscii(step.substr(0, step.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static constexpr std::array<std::string_view, 4> kPlain{"CON", "PRN", "AUX", "NUL"};
  if (std::find(kPlain.begin(), kPlain.end(), base) != kPlain.end()) return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

bool HasControlCharacter(std::string_view step) {
  return std::any_of(step.begin(), step.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

std::vector<std::string> SafeRelativeSteps(const std::string& name) {
  if (name.empty() || IsSeparator(name.front())) Refuse(name);
  if (name.find(':') != std::string::npos) Refuse(name);
  std::vector<std::string> steps;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const std::string_view step(name.data() + start, end - start);
    start = end + 1;
    if (step.empty() || step == ".") continue;
    if (OnlyDotsAndBlanks(step) || HasControlCharacter(step) || IsDeviceName(step)) Refuse(name);
    steps.emplace_back(step);
  }
  return steps;
}

}  // namespace qeb::zip
