#include "zip/dos_time.h"

#include <chrono>
#include <filesystem>
#include <system_error>

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

bool LocalTime(std::time_t when, std::tm& local) {
#ifdef _WIN32
  return localtime_s(&local, &when) == 0;
#else
  return localtime_r(&when, &local) != nullptr;
#endif
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
  std::error_code code;
  const auto written = std::filesystem::last_write_time(fs::ToPath(path), code);
  std::tm local{};  // year 1900: pinned to the earliest DOS time
  if (code) return ToDosDateTime(local);
  const auto system = std::chrono::file_clock::to_sys(written);
  const std::time_t when = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
  if (!LocalTime(when, local)) local = std::tm{};
  return ToDosDateTime(local);
}

}  // namespace qeb::zip
