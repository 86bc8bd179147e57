#include "zip/dos_time.h"

#include "base/file_system.h"

namespace qeb::zip {
namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;

uint16_t PackDate(int year, int month, int day) {
  return static_cast<uint16_t>((year - kFirstYear) << 9 | month << 5 | day);
}

uint16_t PackTime(int hour, int minute, int second) {
  return static_cast<uint16_t>(hour << 11 | minute << 5 | second / 2);
}

}  // namespace

DosDateTime ToDosDateTime(const std::tm& local) {
  const int year = local.tm_year + 1900;
  if (year < kFirstYear) return {PackTime(0, 0, 0), PackDate(kFirstYear, 1, 1)};
  if (year > kLastYear) return {PackTime(23, 59, 58), PackDate(kLastYear, 12, 31)};
  // A leap second (tm_sec 60) is kept inside the minute.
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
  return {PackTime(local.tm_hour, local.tm_min, second),
          PackDate(year, local.tm_mon + 1, local.tm_mday)};
}

DosDateTime FileModificationDosTime(const std::string& path) {
  // Year 1900 when the time cannot be had: pinned to the earliest DOS time.
  return ToDosDateTime(fs::ModificationTime(path).value_or(std::tm{}));
}

}  // namespace qeb::zip
